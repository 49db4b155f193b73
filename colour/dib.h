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

// Builds a width × height image of 8 or 24 bits per pixel; 8-bit images take the palette's
// entries as their colour table. The image is made at the first RowPointer call and handed to
// the bitmap when the writer is destroyed.
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

} // namespace qm
