#include "colour/dib.h"

#include "colour/color_errors.h"
#include "colour/color_lookup.h"

#include <algorithm>
#include <array>

namespace qm {

namespace {

void CheckDIBRequest(const TBitmap& bitmap, TPixelFormat pixelFormat) {
    if (pixelFormat == TPixelFormat::pf32bit)
        throw GIFException(sInvalidPixelFormat);
    if (bitmap.Empty())
        throw EInvalidGraphic(sInvalidBitmap);
}

int TableEntries(TPixelFormat pixelFormat) {
    return IsIndexed(pixelFormat) ? 1 << BitsPerPixel(pixelFormat) : 0;
}

// Re-indexes an indexed bitmap to the nearest entries of `palette`, which becomes its colour table.
void MapToPalette(TBitmap& bitmap, const TPalette& palette) {
    const int entries = std::min(palette.Count(), TableEntries(bitmap.PixelFormat()));
    const TPalette target(
        std::vector<TPaletteEntry>(palette.Entries().begin(), palette.Entries().begin() + entries));
    TFastColorLookup lookup(target);
    std::array<std::uint8_t, 256> remap{};
    const TPalette own = *bitmap.Palette();
    for (int i = 0; i < own.Count(); ++i)
        remap[static_cast<std::size_t>(i)] =
            lookup.MatchColor(own[i].peRed, own[i].peGreen, own[i].peBlue).index;
    const bool packed = bitmap.PixelFormat() == TPixelFormat::pf1bit;
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x) {
            if (!packed) {
                row[x] = remap[row[x]];
                continue;
            }
            const auto mask = static_cast<std::uint8_t>(0x80 >> (x % 8));
            const bool set = remap[(row[x / 8] & mask) != 0 ? 1 : 0] != 0;
            row[x / 8] = static_cast<std::uint8_t>(set ? row[x / 8] | mask : row[x / 8] & ~mask);
        }
    }
    bitmap.SetPalette(target);
}

} // namespace

TDIBReader::TDIBReader(TBitmap& bitmap, TPixelFormat pixelFormat) : TDIB(bitmap, pixelFormat) {
    bitmap.SetPixelFormat(pixelFormat);
}

TDIBWriter::TDIBWriter(TBitmap& bitmap, std::optional<TPalette> palette, int width, int height,
                       TPixelFormat pixelFormat)
    : TDIB(bitmap, pixelFormat), palette_(std::move(palette)), width_(width), height_(height) {
    if (pixelFormat != TPixelFormat::pf8bit && pixelFormat != TPixelFormat::pf24bit)
        throw GIFException(sInvalidPixelFormat);
    // Negative sizes would describe no image at all; they are refused with zero sizes.
    if (width <= 0 || height <= 0)
        throw GIFException(sBadDimension);
}

TDIBWriter::~TDIBWriter() {
    if (!image_.isNull())
        Bitmap().SetImage(image_);
}

void TDIBWriter::CreateImage() {
    const bool indexed = PixelFormat() == TPixelFormat::pf8bit;
    QImage image(width_, height_, indexed ? QImage::Format_Indexed8 : QImage::Format_BGR888);
    if (image.isNull())
        throw EOutOfMemory(sOutOfMemDIB);
    image.fill(0);
    if (indexed) {
        // An 8-bit DIB always carries 256 entries; those past the palette are zero (black), as in
        // a fresh DIB's table.
        QList<QRgb> table = palette_ ? palette_->ToColorTable().mid(0, 256) : QList<QRgb>();
        table.resize(256, qRgb(0, 0, 0));
        image.setColorTable(table);
    }
    image_ = image;
}

std::uint8_t* TDIBWriter::RowPointer(int row) {
    if (image_.isNull())
        CreateImage();
    if (row < 0 || row >= height_)
        throw EInvalidGraphicOperation(sScanLineRange);
    return image_.scanLine(row);
}

void InternalGetDIBSizes(const TBitmap& bitmap, int& infoHeaderSize, int& imageSize,
                         TPixelFormat pixelFormat) {
    CheckDIBRequest(bitmap, pixelFormat);
    infoHeaderSize = 40 + 4 * TableEntries(pixelFormat);
    imageSize = DIBStride(bitmap.Width(), BitsPerPixel(pixelFormat)) * bitmap.Height();
}

bool InternalGetDIB(const TBitmap& bitmap, const std::optional<TPalette>& palette, QByteArray& bitmapInfo,
                    QByteArray& bits, TPixelFormat pixelFormat) {
    CheckDIBRequest(bitmap, pixelFormat);
    TBitmap copy = bitmap;
    copy.SetPixelFormat(pixelFormat);
    if (palette && !palette->Empty() && IsIndexed(pixelFormat))
        MapToPalette(copy, *palette);
    bitmapInfo = DIBInfo(copy, TableEntries(pixelFormat));
    bits = DIBBits(copy);
    return true;
}

} // namespace qm
