#pragma once
// Row access for the colour operations: a reader that brings a bitmap to one pixel format and
// hands out its rows, and a writer that builds a new indexed or true-colour image row by row and
// gives it to its bitmap when the writer goes away.

#include "framework/graphics/bitmap.h"

#include <QImage>
#include <cstdint>
#include <optional>

namespace qm {

class TDIB {
public:
    virtual ~TDIB() = default;
    TDIB(const TDIB&) = delete;
    TDIB& operator=(const TDIB&) = delete;

    // The pixel bytes of row `row`, 0 being the top row.
    virtual std::uint8_t* RowPointer(int row) = 0;
    TPixelFormat PixelFormat() const { return pixelFormat_; }

protected:
    TDIB(TBitmap& bitmap, TPixelFormat pixelFormat) : bitmap_(bitmap), pixelFormat_(pixelFormat) {}
    TBitmap& Bitmap() const { return bitmap_; }

private:
    TBitmap& bitmap_;
    TPixelFormat pixelFormat_;
};

// Converts the bitmap in place to the pixel format and reads its own rows (24-bit pixels as
// blue, green, red).
class TDIBReader final : public TDIB {
public:
    TDIBReader(TBitmap& bitmap, TPixelFormat pixelFormat);
    std::uint8_t* RowPointer(int row) override { return Bitmap().ScanLine(row); }
    int Width() const { return Bitmap().Width(); }
    int Height() const { return Bitmap().Height(); }
};

// Builds a width × height image of 8 or 24 bits per pixel; 8-bit images carry a 256-entry
// colour table: the palette's entries, then black. The image is made at the first RowPointer
// call and handed to the bitmap when the writer is destroyed.
class TDIBWriter final : public TDIB {
public:
    // Raises "Unsupported PixelFormat" for other formats and "Invalid image dimensions" unless
    // both sizes are positive.
    TDIBWriter(TBitmap& bitmap, std::optional<TPalette> palette, int width, int height,
               TPixelFormat pixelFormat);
    ~TDIBWriter() override;

    // Raises "Scan line index out of range" outside 0..height − 1 and EOutOfMemory("Failed to
    // allocate memory for GIF DIB") when the image cannot be held.
    std::uint8_t* RowPointer(int row) override;

private:
    void CreateImage();

    std::optional<TPalette> palette_;
    int width_;
    int height_;
    QImage image_;
};

// The sizes of the bitmap described as a DIB of `pixelFormat` (1, 4, 8 or 24 bits per pixel): the
// header is 40 + 4 × 2^bits bytes up to 8 bits and 40 for 24 bits; the image is stride × height.
// Other formats raise "Unsupported PixelFormat"; an empty bitmap raises "Bitmap image is not valid".
void InternalGetDIBSizes(const TBitmap& bitmap, int& infoHeaderSize, int& imageSize,
                         TPixelFormat pixelFormat);

// The bitmap as such a DIB: header and colour table in `bitmapInfo`, rows bottom-up in `bits`.
// With a palette, an indexed DIB takes the palette's first 2^bits entries as its colour table and
// every colour goes to the nearest of them. Returns true.
bool InternalGetDIB(const TBitmap& bitmap, const std::optional<TPalette>& palette, QByteArray& bitmapInfo,
                    QByteArray& bits, TPixelFormat pixelFormat);

} // namespace qm
