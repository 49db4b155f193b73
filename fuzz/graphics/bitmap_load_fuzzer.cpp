// Loads arbitrary bytes as a picture through the framework bitmap, brings what loads to 24 bits
// per pixel through a DIB reader, walks its rows, and reduces small pictures to the web palette
// and back to a BMP file. Every failure must be a clean exception.
#include "colour/dib.h"
#include "colour/reduce_colors.h"
#include "framework/core/exceptions.h"
#include "framework/graphics/bitmap.h"

#include <QBuffer>
#include <cstddef>
#include <cstdint>

namespace {

constexpr long long kMaxReducedPixels = 1 << 18;
// A picture the reader accepts may hold up to a gigabyte; three more bytes a pixel on top of that
// would only measure the fuzzer's memory limit.
constexpr long long kMaxConvertedPixels = 1 << 24;

void Exercise(qm::TBitmap& bitmap) {
    const long long pixels = static_cast<long long>(bitmap.Width()) * bitmap.Height();
    if (pixels > kMaxConvertedPixels)
        return;
    {
        qm::TDIBReader reader(bitmap, qm::TPixelFormat::pf24bit);
        unsigned sum = 0;
        for (int row = 0; row < reader.Height(); ++row)
            sum += reader.RowPointer(row)[0];
        static_cast<void>(sum);
    }
    if (pixels > kMaxReducedPixels)
        return;
    const auto reduced = qm::ReduceColors(bitmap, qm::TColorReduction::rmNetscape,
                                          qm::TDitherMode::dmFloydSteinberg, 8, std::nullopt);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    reduced->SaveToStream(out);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    buffer.open(QIODevice::ReadOnly);
    qm::TBitmap bitmap;
    try {
        bitmap.LoadFromStream(buffer);
        Exercise(bitmap);
    } catch (const qm::Exception&) {
        // Unreadable pictures are reported, never crash.
    }
    return 0;
}
