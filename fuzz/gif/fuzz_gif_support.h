#pragma once
// What the GIF fuzz targets share: loading under small limits, so that every run stays fast and
// within the fuzzer's memory, and what an image shows over time as its painter plays it.

#include "framework/core/exceptions.h"
#include "gif/gif_exception.h"
#include "gif/gif_image.h"
#include "gif/gif_playback.h"

#include <QBuffer>
#include <QImage>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace qm::fuzz {

// The image in `data`, or none when the reader refuses it or it has nothing to show. The caps
// themselves are what is checked, not their values. A file written from an image that loaded
// under them is read again with `rewritten`: it may be smaller and so pay for fewer pixels.
inline std::unique_ptr<TGIFImage> LoadSmall(const QByteArray& data, bool rewritten = false) {
    TGIFReadSettings settings;
    settings.MaximumFramePixels = 256u * 1024;
    settings.MaximumImagePixels = 1024u * 1024;
    settings.PixelsWithoutData = rewritten ? settings.MaximumImagePixels : 64u * 1024;
    settings.PixelsPerDataByte = 64;
    QBuffer in;
    in.setData(data);
    in.open(QIODevice::ReadOnly);
    auto image = std::make_unique<TGIFImage>();
    image->OnWarning = [](const TPersistent&, TGIFSeverity, const std::string&) {};
    try {
        image->LoadFromStream(in, settings);
    } catch (const GIFException&) {
        return nullptr;
    }
    return image->GetEmpty() ? nullptr : std::move(image);
}

// Each picture the painter shows, with how long it stays (equal pictures in a row are one), over
// up to two passes; the canvas is bounded by `fileBytes` as render bounds it. Empty when nothing
// can be drawn.
inline std::vector<std::pair<QImage, std::int64_t>> ShownOverTime(TGIFImage& image, std::size_t fileBytes) {
    std::vector<std::pair<QImage, std::int64_t>> shown;
    TPlaybackOptions options;
    options.passes = 2;
    options.fileBytes = fileBytes;
    try {
        Play(image, options, [&](const QImage& canvas, TGIFPainter& painter) {
            if (!shown.empty() && shown.back().first == canvas)
                shown.back().second += painter.NextWait();
            else
                shown.emplace_back(canvas.copy(), painter.NextWait());
        });
    } catch (const GIFException&) {
        shown.clear();
    }
    return shown;
}

} // namespace qm::fuzz
