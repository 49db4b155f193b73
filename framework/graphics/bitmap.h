#pragma once
// The framework's bitmap: a QImage with a pixel format of 1, 4, 8, 24 or 32 bits per pixel, an
// optional palette and direct row access, loaded from BMP, PNG or JPEG files and saved as BMP.
//
// Rows keep the byte order of device-independent bitmaps: 24-bit pixels are blue, green, red;
// 32-bit pixels blue, green, red, alpha; 1-bit rows put the leftmost pixel in the top bit. A 4-bit
// bitmap keeps one byte per pixel in memory (an index below 16); it is packed only when saved.

#include "framework/graphics/graphic.h"
#include "framework/graphics/palette.h"

#include <QIODevice>
#include <QImage>
#include <QString>
#include <cstdint>
#include <optional>
#include <utility>

namespace qm {

inline constexpr const char* sScanLineRange = "Scan line index out of range";
inline constexpr const char* sInvalidBitmap = "Bitmap image is not valid";
// The error of a picture whose declared size its data cannot fill (see FitsDataBytes).
inline constexpr const char* sBitmapExceedsData = "Bitmap image too large for the data in the file";

enum class TPixelFormat : std::uint8_t { pf1bit, pf4bit, pf8bit, pf24bit, pf32bit };

int BitsPerPixel(TPixelFormat format);
bool IsIndexed(TPixelFormat format);

class TBitmap : public TGraphic {
public:
    TBitmap() = default;
    // A bitmap of the given size, every pixel zero (index 0 or black). Indexed formats start with
    // a black-and-white palette for 1 bit and the stock colours for 4 and 8 bits.
    TBitmap(int width, int height, TPixelFormat format);

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    bool Empty() const { return image_.isNull(); }
    const char* ClassName() const override { return "TBitmap"; }

    int GetWidth() const override { return Width(); }
    int GetHeight() const override { return Height(); }
    void SetWidth(int value) override { SetSize(value, Height()); }
    void SetHeight(int value) override { SetSize(Width(), value); }
    bool GetEmpty() const override { return Empty(); }

    // Takes over another bitmap's pixels, or a graphic that can copy itself into a bitmap.
    void Assign(const TPersistent& source) override;
    // Nearest-neighbour scaling, like the platform's stretch blit.
    void Draw(TCanvas& canvas, const QRect& rect) override;
    // Offered as an image, which every program reads; read back from any image format.
    void SaveToClipboardFormat(QMimeData& data) override;
    void LoadFromClipboardFormat(const QMimeData& data, const QString& format) override;

    TPixelFormat PixelFormat() const { return format_; }
    // Converts the pixels in place. True colour to an indexed format maps every pixel to the
    // nearest colour of a fixed palette (black and white, or the stock colours).
    void SetPixelFormat(TPixelFormat format);
    // Resizes to width × height keeping the pixel format; the pixels become zero. 0 × 0 empties.
    void SetSize(int width, int height);

    // The palette of an indexed bitmap; none for 24 and 32 bits or an empty bitmap.
    std::optional<TPalette> Palette() const;
    // Replaces the colour table of an indexed bitmap (at most 2, 16 or 256 entries by format).
    void SetPalette(const TPalette& palette);

    // Row `row` (0 is the top). Out of range raises "Scan line index out of range".
    std::uint8_t* ScanLine(int row);
    const std::uint8_t* ScanLine(int row) const;
    int BytesPerLine() const { return static_cast<int>(image_.bytesPerLine()); }

    // Reads any picture Qt can decode (BMP, PNG, ...), and JPEG through the JPEG class (whose
    // errors pass on). Unreadable or cut data raises EInvalidGraphic("Bitmap image is not valid"),
    // also for a picture that would need more than kMaxDecodedBytes; a picture larger than its
    // data can fill raises sBitmapExceedsData. Both are refused before the pixels' memory is
    // taken; the bitmap is then unchanged.
    void LoadFromStream(QIODevice& stream) override;
    // Writes an uncompressed BMP file: a colour table of exactly the palette's entries for indexed
    // formats (their count in colours-used and colours-important), rows bottom-up.
    void SaveToStream(QIODevice& stream) const;
    void SaveToStream(QIODevice& stream) override { std::as_const(*this).SaveToStream(stream); }

    const QImage& Image() const { return image_; }
    // Adopts an image; its depth chooses the pixel format (1 → 1 bit, indexed → 8 bits, images
    // with alpha → 32 bits, everything else → 24 bits).
    void SetImage(const QImage& image);

private:
    friend class TCanvas; // paints on the image in place
    void CheckRow(int row) const;

    QImage image_;
    TPixelFormat format_ = TPixelFormat::pf24bit;
};

// The most memory a decoded picture may take; a larger one is refused before it is decoded.
inline constexpr std::uint64_t kMaxDecodedBytes = 1ull << 30;
// The error of a picture refused for its size.
[[noreturn]] void ThrowTooLarge(std::uint64_t width, std::uint64_t height);

// The parts of the bitmap as a device-independent bitmap: the 40-byte header followed by
// `tableEntries` colour-table entries (blue, green, red, 0; black past the palette's end), and the
// rows bottom-up, each padded to a multiple of 4 bytes.
QByteArray DIBInfo(const TBitmap& bitmap, int tableEntries);
QByteArray DIBBits(const TBitmap& bitmap);
// Bytes per row of a DIB: width × bits rounded up to whole 32-bit words.
int DIBStride(int width, int bitsPerPixel);

} // namespace qm
