#include "framework/graphics/icon.h"

#include "framework/core/exceptions.h"
#include "framework/core/stream.h"
#include "framework/graphics/canvas.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>

namespace qm {

namespace {

// The image an .ico file is best shown by: the largest, of equal sizes the first. (Qt's reader
// decodes every image to 32 bits, so it tells nothing of the depths stored in the file.) -1 when
// the directory lists nothing readable.
int BestImage(QImageReader& reader) {
    int best = -1;
    qint64 bestArea = 0;
    const int count = reader.imageCount();
    for (int i = 0; i < count && reader.jumpToImage(i); ++i) {
        const QSize size = reader.size();
        const qint64 area = static_cast<qint64>(size.width()) * size.height();
        if (area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    return best;
}

QImage ReadIcon(QIODevice& stream) {
    // Qt's reader and writer take the offsets of the file's directory from the start of the
    // device, so an icon that does not start there (in a form description) goes through a buffer
    // of its own.
    QByteArray data = stream.readAll();
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    // The same bounds as for every other picture, although an icon's directory allows no more
    // than 256 x 256 pixels per image.
    reader.setAllocationLimit(static_cast<int>(kMaxDecodedBytes >> 20));
    const int best = BestImage(reader);
    if (best < 0 || !reader.jumpToImage(best))
        throw EInvalidGraphic(sInvalidIcon);
    const QSize size = reader.size();
    if (!FitsDataBytes(static_cast<std::uint64_t>(std::max(size.width(), 0)),
                       static_cast<std::uint64_t>(std::max(size.height(), 0)),
                       static_cast<std::uint64_t>(data.size())))
        throw EInvalidGraphic(sIconExceedsData);
    QImage image;
    if (!reader.read(&image) || image.isNull())
        throw EInvalidGraphic(sInvalidIcon);
    return image.convertToFormat(QImage::Format_ARGB32);
}

// The pixels as a mask blit draws them: masked ones fully transparent, the others opaque.
QImage MaskedCopy(const QImage& image) {
    QImage masked = image;
    for (int y = 0; y < masked.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x)
            row[x] = qAlpha(row[x]) < kIconMaskAlpha ? 0 : row[x] | 0xFF000000u;
    }
    return masked;
}

} // namespace

void TIcon::LoadFromStream(QIODevice& stream) {
    QImage image = ReadIcon(stream);
    masked_ = MaskedCopy(image);
    image_ = std::move(image);
    Changed();
}

void TIcon::SaveToStream(QIODevice& stream) {
    if (GetEmpty())
        return;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    if (!writer.write(image_))
        throw EInvalidGraphic(sStreamWriteError);
    WriteCheck(stream, buffer.data().constData(), static_cast<std::size_t>(buffer.data().size()));
}

void TIcon::SetWidth(int) {
    throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::SetHeight(int) {
    throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

TBitmap TIcon::MaskBitmap() const {
    TBitmap mask(GetWidth(), GetHeight(), TPixelFormat::pf1bit);
    for (int y = 0; y < mask.Height(); ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(masked_.constScanLine(y));
        std::uint8_t* row = mask.ScanLine(y);
        for (int x = 0; x < mask.Width(); ++x)
            if (qAlpha(pixels[x]) == 0)
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    return mask;
}

void TIcon::Assign(const TPersistent& source) {
    const auto* icon = dynamic_cast<const TIcon*>(&source);
    if (icon == nullptr)
        return TGraphic::Assign(source);
    if (icon == this)
        return;
    image_ = icon->image_;
    masked_ = icon->masked_;
    Changed();
}

void TIcon::AssignTo(TPersistent& dest) const {
    auto* bitmap = dynamic_cast<TBitmap*>(&dest);
    if (bitmap == nullptr)
        return TGraphic::AssignTo(dest);
    TBitmap pixels;
    pixels.SetImage(image_);
    bitmap->Assign(pixels);
}

void TIcon::Draw(TCanvas& canvas, const QRect& rect) {
    if (!GetEmpty())
        canvas.StretchDraw(rect, masked_);
}

} // namespace qm
