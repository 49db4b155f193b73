#pragma once
// GIF images built in memory for the rendering and painter tests: a global colour map of a few
// named colours, frames with their place, pixels and graphic control extension, and an optional
// loop extension on the first frame.

#include "gif/gif_extensions.h"
#include "gif/gif_image.h"

#include <QColor>
#include <QImage>
#include <memory>
#include <vector>

namespace qm::test {

// Indices of the global colour map every built image has.
enum TTestColour : std::uint8_t { tcBlack, tcRed, tcGreen, tcBlue, tcWhite };
inline const std::vector<QRgb> TestColours = {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0),
                                              qRgb(0, 0, 255), qRgb(255, 255, 255)};

struct FrameSpec {
    int left = 0;
    int top = 0;
    int width = 1;
    int height = 1;
    std::vector<std::uint8_t> pixels{}; // empty: every pixel takes `fill`
    std::uint8_t fill = tcRed;
    int transparent = -1; // the transparent index, or -1
    int disposal = dmNoDisposal;
    int delay = 0;
    bool control = true; // with a graphic control extension
};

inline TGIFSubImage& AddFrame(TGIFImage& image, const FrameSpec& spec) {
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->DoSetBounds(spec.left, spec.top, spec.width, spec.height);
    if (spec.pixels.empty())
        std::fill(frame->Data().begin(), frame->Data().end(), spec.fill);
    else
        frame->Data() = spec.pixels;
    if (spec.control) {
        auto gce = std::make_unique<TGIFGraphicControlExtension>(frame.get());
        gce->SetDisposal(spec.disposal);
        gce->SetDelay(spec.delay);
        if (spec.transparent >= 0) {
            gce->StoreTransparentColorIndex(static_cast<std::uint8_t>(spec.transparent));
            gce->SetTransparent(true);
        }
        frame->Extensions().Add(std::move(gce));
    }
    TGIFSubImage& added = *frame;
    image.Add(std::move(frame));
    return added;
}

// Loops < 0: no loop extension.
inline std::unique_ptr<TGIFImage> MakeAnimation(int width, int height, const std::vector<FrameSpec>& frames,
                                                int loops = -1) {
    auto image = std::make_unique<TGIFImage>();
    for (const QRgb colour : TestColours)
        image->ColorMap().Add(static_cast<TColor>(qRed(colour) | qGreen(colour) << 8 | qBlue(colour) << 16));
    image->SetWidth(width);
    image->SetHeight(height);
    for (const FrameSpec& spec : frames)
        AddFrame(*image, spec);
    if (loops >= 0 && !frames.empty()) {
        TGIFSubImage& first = *image->Images().First();
        auto loop = std::make_unique<TGIFAppExtNSLoop>(&first);
        loop->Loops = loops;
        first.Extensions().Insert(0, std::move(loop));
    }
    return image;
}

// A canvas image filled with a colour no frame uses, so that untouched pixels show.
inline const QRgb Untouched = qRgb(255, 0, 255);
inline QImage CanvasImage(int width, int height, QRgb fill = Untouched) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

} // namespace qm::test
