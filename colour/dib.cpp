#include "colour/dib.h"

#include "framework/core/exceptions.h"

namespace qm {

TDIBReader::TDIBReader(TBitmap& bitmap, TPixelFormat pixelFormat) : TDIB(bitmap, pixelFormat) {
    bitmap.SetPixelFormat(pixelFormat);
}

TDIBWriter::TDIBWriter(TBitmap& bitmap, std::optional<TPalette> palette, int width, int height,
                       TPixelFormat pixelFormat)
    : TDIB(bitmap, pixelFormat), palette_(std::move(palette)), width_(width), height_(height) {
    if (pixelFormat != TPixelFormat::pf8bit && pixelFormat != TPixelFormat::pf24bit)
        throw EInvalidGraphic("Unsupported PixelFormat");
    // Negative sizes would describe no image at all; they are refused with zero sizes.
    if (width <= 0 || height <= 0)
        throw EInvalidGraphic("Invalid image dimensions");
}

TDIBWriter::~TDIBWriter() {
    if (!image_.isNull())
        Bitmap().SetImage(image_);
}

void TDIBWriter::CreateImage() {
    const bool indexed = PixelFormat() == TPixelFormat::pf8bit;
    QImage image(width_, height_, indexed ? QImage::Format_Indexed8 : QImage::Format_BGR888);
    if (image.isNull())
        throw EOutOfMemory("Failed to allocate memory for GIF DIB");
    image.fill(0);
    if (indexed) {
        // Without a palette the table is all black, as the zero-filled table of a fresh DIB is.
        QList<QRgb> table = palette_ ? palette_->toColorTable().mid(0, 256) : QList<QRgb>(256, qRgb(0, 0, 0));
        image.setColorTable(table);
    }
    image_ = image;
}

std::uint8_t* TDIBWriter::RowPointer(int row) {
    if (image_.isNull())
        CreateImage();
    if (row < 0 || row >= height_)
        throw EInvalidGraphicOperation("Scan line index out of range");
    return image_.scanLine(row);
}

} // namespace qm
