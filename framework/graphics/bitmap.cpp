#include "framework/graphics/bitmap.h"

#include "framework/core/exceptions.h"
#include "framework/core/stream.h"
#include "framework/graphics/canvas.h"
#include "framework/graphics/jpeg_image.h"
#include "framework/graphics/stock_palettes.h"

#include <QImageReader>
#include <QMimeData>
#include <algorithm>
#include <cstring>
#include <string>

namespace qm {

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

QImage::Format QtFormatOf(TPixelFormat format) {
    switch (format) {
    case TPixelFormat::pf1bit:
        return QImage::Format_Mono;
    case TPixelFormat::pf4bit:
    case TPixelFormat::pf8bit:
        return QImage::Format_Indexed8;
    case TPixelFormat::pf24bit:
        return QImage::Format_BGR888;
    case TPixelFormat::pf32bit:
        return QImage::Format_ARGB32;
    }
    return QImage::Format_BGR888;
}

int MaxColours(TPixelFormat format) {
    return IsIndexed(format) ? 1 << BitsPerPixel(format) : 0;
}

// The sixteen colours of the stock palette that every adapter shows: its first and last eight.
QList<QRgb> SixteenColours() {
    const QList<QRgb> stock = StockDefaultPalette().ToColorTable();
    return stock.mid(0, 8) + stock.mid(12, 8);
}

QList<QRgb> DefaultColourTable(TPixelFormat format) {
    switch (format) {
    case TPixelFormat::pf1bit:
        return {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    case TPixelFormat::pf4bit:
        return SixteenColours();
    case TPixelFormat::pf8bit:
        return HalftonePalette().ToColorTable();
    default:
        return {};
    }
}

QImage ConvertImage(const QImage& image, TPixelFormat format) {
    const bool fitsTable = image.format() == QImage::Format_Indexed8 ||
                           image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB;
    switch (format) {
    case TPixelFormat::pf1bit:
        return image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    case TPixelFormat::pf4bit:
        if (fitsTable && image.colorCount() <= 16)
            return image.convertToFormat(QImage::Format_Indexed8);
        return image.convertToFormat(QImage::Format_Indexed8, SixteenColours(), Qt::ThresholdDither);
    case TPixelFormat::pf8bit:
        if (fitsTable)
            return image.convertToFormat(QImage::Format_Indexed8);
        return image.convertToFormat(QImage::Format_Indexed8, HalftonePalette().ToColorTable(),
                                     Qt::ThresholdDither);
    case TPixelFormat::pf24bit:
    case TPixelFormat::pf32bit:
        return image.convertToFormat(QtFormatOf(format));
    }
    return image;
}

void PutLE16(QByteArray& out, int value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

void PutLE32(QByteArray& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.append(static_cast<char>((value >> shift) & 0xFF));
}

// One row in the packing of a BMP file (4-bit pixels two to a byte, high nibble first).
void AppendFileRow(QByteArray& out, const TBitmap& bitmap, int row, int stride) {
    const std::uint8_t* line = bitmap.ScanLine(row);
    const auto start = out.size();
    out.append(stride, '\0');
    auto* dest = reinterpret_cast<std::uint8_t*>(out.data() + start);
    if (bitmap.PixelFormat() == TPixelFormat::pf4bit) {
        for (int x = 0; x < bitmap.Width(); ++x)
            dest[x / 2] |= static_cast<std::uint8_t>((line[x] & 0x0F) << (x % 2 == 0 ? 4 : 0));
        return;
    }
    const int used = (bitmap.Width() * BitsPerPixel(bitmap.PixelFormat()) + 7) / 8;
    std::memcpy(dest, line, static_cast<std::size_t>(used));
}

// The bytes of a BMP file that tell its size, depth and compression.
constexpr qint64 kBMPHeadBytes = 34;

std::uint32_t LE(const QByteArray& bytes, int at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}

// What the header of a BMP file declares.
struct TBMPHead {
    std::uint64_t offset;
    std::uint64_t width;
    std::uint64_t height;
    std::uint32_t bits;
    std::uint32_t compression;
};

std::optional<TBMPHead> ReadBMPHead(const QByteArray& head) {
    if (head.size() < kBMPHeadBytes || !head.startsWith("BM"))
        return std::nullopt;
    const bool core = LE(head, 14, 4) == 12; // the old header with 16-bit sizes and no compression
    const std::int64_t width = core ? LE(head, 18, 2) : static_cast<std::int32_t>(LE(head, 18, 4));
    const std::int64_t height = core ? LE(head, 20, 2) : static_cast<std::int32_t>(LE(head, 22, 4));
    // Rows run top-down when the height is negative.
    return TBMPHead{LE(head, 10, 4), static_cast<std::uint64_t>(width < 0 ? -width : width),
                    static_cast<std::uint64_t>(height < 0 ? -height : height), LE(head, core ? 24 : 28, 2),
                    core ? 0 : LE(head, 30, 4)};
}

// True when an uncompressed BMP file's rows need more than the `available` bytes: Qt's reader
// shows such a file at full size with black where the data ran out. Run-length-encoded files end
// with their own marker, which Qt's reader checks.
bool BMPPixelsCut(const TBMPHead& bmp, std::uint64_t available) {
    constexpr std::uint32_t kRGB = 0, kBitFields = 3, kAlphaBitFields = 6;
    if (bmp.compression != kRGB && bmp.compression != kBitFields && bmp.compression != kAlphaBitFields)
        return false;
    if (bmp.bits == 0 || bmp.bits > 32)
        return false; // Qt's reader refuses these itself
    const std::uint64_t stride = ((bmp.width * bmp.bits + 31) / 32) * 4;
    return bmp.offset + stride * bmp.height > available;
}

// Refuses a picture whose declared size its data cannot fill, and a BMP file that was cut.
void CheckDeclaredSize(QImageReader& reader, const QByteArray& head, std::uint64_t available) {
    const std::optional<TBMPHead> bmp = ReadBMPHead(head);
    const QSize size = reader.size();
    const std::uint64_t width = bmp ? bmp->width : static_cast<std::uint64_t>(std::max(size.width(), 0));
    const std::uint64_t height = bmp ? bmp->height : static_cast<std::uint64_t>(std::max(size.height(), 0));
    if (!FitsDataBytes(width, height, available))
        throw EInvalidGraphic(sBitmapExceedsData);
    if (bmp && BMPPixelsCut(*bmp, available))
        throw EInvalidGraphic(sInvalidBitmap);
}

} // namespace

int BitsPerPixel(TPixelFormat format) {
    switch (format) {
    case TPixelFormat::pf1bit:
        return 1;
    case TPixelFormat::pf4bit:
        return 4;
    case TPixelFormat::pf8bit:
        return 8;
    case TPixelFormat::pf24bit:
        return 24;
    case TPixelFormat::pf32bit:
        return 32;
    }
    return 24;
}

bool IsIndexed(TPixelFormat format) {
    return BitsPerPixel(format) <= 8;
}

TBitmap::TBitmap(int width, int height, TPixelFormat format) : format_(format) {
    SetSize(width, height);
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (!image_.isNull() && format != format_)
        image_ = ConvertImage(image_, format);
    format_ = format;
}

void TBitmap::SetSize(int width, int height) {
    if (width <= 0 || height <= 0) {
        image_ = QImage();
        return;
    }
    const std::optional<TPalette> kept = Palette();
    QImage image(width, height, QtFormatOf(format_));
    if (image.isNull())
        throw EOutOfResources("Not enough memory for a bitmap of " + std::to_string(width) + " x " +
                              std::to_string(height) + " pixels");
    image.fill(0);
    if (IsIndexed(format_))
        image.setColorTable(kept ? kept->ToColorTable() : DefaultColourTable(format_));
    image_ = image;
}

std::optional<TPalette> TBitmap::Palette() const {
    if (image_.isNull() || !IsIndexed(format_))
        return std::nullopt;
    return TPalette::FromColorTable(image_.colorTable());
}

void TBitmap::SetPalette(const TPalette& palette) {
    if (!IsIndexed(format_))
        throw EInvalidGraphicOperation("A bitmap of " + std::to_string(BitsPerPixel(format_)) +
                                       " bits per pixel has no palette");
    if (palette.Count() > MaxColours(format_))
        throw EInvalidGraphicOperation("Too many palette entries for the pixel format");
    image_.setColorTable(palette.ToColorTable());
}

void TBitmap::CheckRow(int row) const {
    if (row < 0 || row >= image_.height())
        throw EInvalidGraphicOperation(sScanLineRange);
}

std::uint8_t* TBitmap::ScanLine(int row) {
    CheckRow(row);
    return image_.scanLine(row);
}

const std::uint8_t* TBitmap::ScanLine(int row) const {
    CheckRow(row);
    return image_.constScanLine(row);
}

void TBitmap::SetImage(const QImage& image) {
    if (image.isNull()) {
        image_ = QImage();
        return;
    }
    if (image.depth() == 1)
        format_ = TPixelFormat::pf1bit;
    else if (image.format() == QImage::Format_Indexed8)
        format_ = TPixelFormat::pf8bit;
    else if (image.hasAlphaChannel())
        format_ = TPixelFormat::pf32bit;
    else
        format_ = TPixelFormat::pf24bit;
    image_ = image.convertToFormat(QtFormatOf(format_));
}

void TBitmap::LoadFromStream(QIODevice& stream) {
    const std::uint64_t available = BytesToEnd(stream);
    const QByteArray head = stream.peek(kBMPHeadBytes);
    // JPEG data goes through the JPEG class, which refuses a cut or damaged stream that Qt's
    // reader would pad with grey.
    if (head.startsWith("\xFF\xD8\xFF")) {
        TJPEGImage jpeg;
        jpeg.LoadFromStream(stream);
        SetImage(jpeg.Bitmap().Image());
        return Changed();
    }
    QImageReader reader(&stream);
    reader.setAutoTransform(false);
    CheckDeclaredSize(reader, head, available);
    // Qt refuses a picture whose decoding would take more than this before it takes the memory;
    // it also bounds the formats whose size the reader cannot tell before decoding.
    const std::uint64_t limit = (kPixelsWithoutData + kPixelsPerDataByte * available) * 4;
    reader.setAllocationLimit(static_cast<int>(std::min(limit, kMaxDecodedBytes) >> 20));
    QImage image;
    if (!reader.read(&image) || image.isNull())
        throw EInvalidGraphic(sInvalidBitmap);
    SetImage(image);
    Changed();
}

void ThrowTooLarge(std::uint64_t width, std::uint64_t height) {
    throw EInvalidGraphic("Picture is too large to show (" + std::to_string(width) + " x " +
                          std::to_string(height) + " pixels)");
}

void TBitmap::Assign(const TPersistent& source) {
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source)) {
        if (bitmap == this)
            return;
        image_ = bitmap->image_;
        format_ = bitmap->format_;
        SetTransparent(bitmap->GetTransparent());
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TBitmap::Draw(TCanvas& canvas, const QRect& rect) {
    if (!Empty())
        canvas.StretchDraw(rect, image_);
}

void TBitmap::SaveToClipboardFormat(QMimeData& data) {
    if (!Empty())
        data.setImageData(image_);
}

void TBitmap::LoadFromClipboardFormat(const QMimeData& data, const QString& format) {
    if (!data.hasImage())
        return TGraphic::LoadFromClipboardFormat(data, format);
    SetImage(qvariant_cast<QImage>(data.imageData()));
    Changed();
}

int DIBStride(int width, int bitsPerPixel) {
    return ((width * bitsPerPixel + 31) / 32) * 4;
}

QByteArray DIBInfo(const TBitmap& bitmap, int tableEntries) {
    const QList<QRgb> table = bitmap.Image().colorTable();
    QByteArray out;
    PutLE32(out, kInfoHeaderSize);
    PutLE32(out, static_cast<std::uint32_t>(bitmap.Width()));
    PutLE32(out, static_cast<std::uint32_t>(bitmap.Height()));
    PutLE16(out, 1);
    PutLE16(out, BitsPerPixel(bitmap.PixelFormat()));
    PutLE32(out, 0); // no compression
    PutLE32(out, static_cast<std::uint32_t>(DIBStride(bitmap.Width(), BitsPerPixel(bitmap.PixelFormat()))) *
                     static_cast<std::uint32_t>(bitmap.Height()));
    PutLE32(out, 0);
    PutLE32(out, 0);
    PutLE32(out, static_cast<std::uint32_t>(tableEntries));
    PutLE32(out, static_cast<std::uint32_t>(tableEntries));
    for (int i = 0; i < tableEntries; ++i) {
        const QRgb c = i < table.size() ? table[i] : qRgb(0, 0, 0);
        out.append(static_cast<char>(qBlue(c)));
        out.append(static_cast<char>(qGreen(c)));
        out.append(static_cast<char>(qRed(c)));
        out.append('\0');
    }
    return out;
}

QByteArray DIBBits(const TBitmap& bitmap) {
    QByteArray out;
    const int stride = DIBStride(bitmap.Width(), BitsPerPixel(bitmap.PixelFormat()));
    out.reserve(static_cast<qsizetype>(stride) * bitmap.Height());
    for (int row = bitmap.Height() - 1; row >= 0; --row)
        AppendFileRow(out, bitmap, row, stride);
    return out;
}

void TBitmap::SaveToStream(QIODevice& stream) const {
    const QByteArray info = DIBInfo(*this, IsIndexed(format_) ? static_cast<int>(image_.colorCount()) : 0);
    const QByteArray bits = DIBBits(*this);
    QByteArray header;
    header.append("BM");
    PutLE32(header, static_cast<std::uint32_t>(kFileHeaderSize + info.size() + bits.size()));
    PutLE32(header, 0);
    PutLE32(header, static_cast<std::uint32_t>(kFileHeaderSize + info.size()));
    WriteCheck(stream, header.constData(), static_cast<std::size_t>(header.size()));
    WriteCheck(stream, info.constData(), static_cast<std::size_t>(info.size()));
    WriteCheck(stream, bits.constData(), static_cast<std::size_t>(bits.size()));
}

} // namespace qm
