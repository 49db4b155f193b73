// Loads arbitrary bytes as a JPEG through the framework's JPEG class, with the first byte choosing
// the settings (the pane's 236-colour output or full colour, block smoothing, scale), and then as
// a bitmap and as an icon. Every failure must be a clean exception; libjpeg's fatal errors must
// come back as one.
#include "framework/core/exceptions.h"
#include "framework/graphics/bitmap.h"
#include "framework/graphics/icon.h"
#include "framework/graphics/jpeg_image.h"

#include <QBuffer>
#include <cstddef>
#include <cstdint>

namespace {

void Load(qm::TGraphic& graphic, const std::uint8_t* data, std::size_t size) {
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    buffer.open(QIODevice::ReadOnly);
    try {
        graphic.LoadFromStream(buffer);
    } catch (const qm::Exception&) {
        // Unreadable pictures are reported, never crash.
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::uint8_t settings = data[0];
    qm::TJPEGImage jpeg;
    jpeg.SetPixelFormat((settings & 1) != 0 ? qm::TJPEGPixelFormat::jf8Bit : qm::TJPEGPixelFormat::jf24Bit);
    jpeg.SetSmoothing((settings & 2) != 0);
    jpeg.SetPerformance((settings & 4) != 0 ? qm::TJPEGPerformance::jpBestSpeed
                                            : qm::TJPEGPerformance::jpBestQuality);
    jpeg.SetScale(static_cast<qm::TJPEGScale>((settings >> 3) & 3));
    Load(jpeg, data + 1, size - 1);
    qm::TBitmap bitmap;
    Load(bitmap, data + 1, size - 1);
    qm::TIcon icon;
    Load(icon, data + 1, size - 1);
    return 0;
}
