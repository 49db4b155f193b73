// Feeds arbitrary bytes to the GIF reader. Anything may be refused with GIFException; nothing may
// crash, hang, leak or escape as another exception. Whatever loads is saved again.
#include "gif/gif_exception.h"
#include "gif/gif_image.h"

#include <QBuffer>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Small caps keep every run fast and within the fuzzer's memory limit; the cap
    // itself is what is being checked, not its value.
    qm::TGIFReadSettings settings;
    settings.MaximumFramePixels = 256u * 1024;
    settings.MaximumImagePixels = 1024u * 1024;
    settings.PixelsWithoutData = 64u * 1024;
    QBuffer in;
    in.setData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    in.open(QIODevice::ReadOnly);
    qm::TGIFImage image;
    image.OnWarning = [](const qm::TPersistent&, qm::TGIFSeverity, const std::string&) {};
    try {
        image.LoadFromStream(in, settings);
    } catch (const qm::GIFException&) {
    }
    if (image.GetEmpty())
        return 0;
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    try {
        image.SaveToStream(out);
    } catch (const qm::GIFException&) {
        // pixels beyond the colour table cannot be written
    }
    return 0;
}
