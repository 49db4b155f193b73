// Loads arbitrary bytes under the reader's limits and composes every frame as render does, over
// two passes, opaque and tiled as well. Nothing may crash, hang or take memory beyond the bound
// the file pays for; a refusal is a GIFException or an allocation error with a message.
#include "fuzz/gif/fuzz_gif_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::unique_ptr<qm::TGIFImage> image = qm::fuzz::LoadSmall(bytes);
    if (image == nullptr)
        return 0;
    qm::TPlaybackOptions options;
    options.passes = 2;
    options.fileBytes = size;
    options.transparent = (size & 1) != 0;
    if ((size & 2) != 0)
        options.tile = QSize(1 + static_cast<int>(data[0] % 64), 1 + static_cast<int>(data[size - 1] % 64));
    try {
        qm::Play(*image, options, [](const QImage&, qm::TGIFPainter&) {});
    } catch (const qm::GIFException&) {
    }
    return 0;
}
