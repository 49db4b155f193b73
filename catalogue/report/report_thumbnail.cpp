#include "catalogue/report/report_thumbnail.h"

#include "framework/core/exceptions.h"
#include "framework/graphics/bitmap.h"
#include "framework/graphics/canvas.h"
#include "framework/graphics/jpeg_image.h"
#include "framework/graphics/picture.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace qm {

namespace {

QImage Fitted(const QImage& image) {
    if (image.width() <= kThumbnailSide && image.height() <= kThumbnailSide)
        return image.convertToFormat(QImage::Format_RGB32);
    return image.scaled(kThumbnailSide, kThumbnailSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

// A full-size decode of a photograph costs a hundred times what the thumbnail needs, so the JPEG
// is decoded at the smallest of libjpeg's scales that still gives the thumbnail's pixels. The size
// that choice needs comes from the header alone: decoding even an eighth of the picture first
// would read all its compressed data twice, which is most of the cost.
QImage JpegThumbnail(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EInvalidGraphic("Cannot open the picture");
    QByteArray data = file.readAll();
    QBuffer header(&data);
    header.open(QIODevice::ReadOnly);
    const QSize size = QImageReader(&header, "jpeg").size();
    const int longest = std::max(size.width(), size.height());
    TJPEGImage jpeg;
    jpeg.SetPerformance(TJPEGPerformance::jpBestSpeed);
    if (longest >= kThumbnailSide * 8)
        jpeg.SetScale(TJPEGScale::jsEighth);
    else if (longest >= kThumbnailSide * 4)
        jpeg.SetScale(TJPEGScale::jsQuarter);
    else if (longest >= kThumbnailSide * 2)
        jpeg.SetScale(TJPEGScale::jsHalf);
    QBuffer stream(&data);
    stream.open(QIODevice::ReadOnly);
    jpeg.LoadFromStream(stream);
    return Fitted(jpeg.Bitmap().Image());
}

QImage PictureThumbnail(const QString& path) {
    TPicture picture;
    picture.LoadFromFile(path);
    TGraphic& graphic = *picture.Graphic();
    TBitmap bitmap;
    try {
        bitmap.Assign(graphic);
        return Fitted(bitmap.Image());
    } catch (const EConvertError&) {
        // A class that cannot become a bitmap (an icon) draws itself at thumbnail size.
        QImage drawn(QSize(graphic.GetWidth(), graphic.GetHeight())
                         .scaled(kThumbnailSide, kThumbnailSide, Qt::KeepAspectRatio)
                         .expandedTo(QSize(1, 1)),
                     QImage::Format_ARGB32);
        drawn.fill(Qt::white);
        TCanvas canvas(drawn);
        graphic.Draw(canvas, drawn.rect());
        return drawn.convertToFormat(QImage::Format_RGB32);
    }
}

} // namespace

TThumbnail MakeThumbnail(const QString& path) {
    if (path.trimmed().isEmpty())
        return {};
    const QFileInfo info(path);
    if (!info.isFile())
        return {{}, QStringLiteral("Picture '%1' doesn't exist!").arg(path)};
    if (info.size() > kMaxThumbnailFileBytes)
        return {{},
                QStringLiteral("Picture '%1' is too large for the report (%2 MiB)")
                    .arg(path)
                    .arg(info.size() >> 20)};
    try {
        const QString extension = info.suffix().toLower();
        if (extension == QLatin1String("jpg") || extension == QLatin1String("jpeg"))
            return {JpegThumbnail(path), {}};
        return {PictureThumbnail(path), {}};
    } catch (const std::exception& error) {
        return {{}, QStringLiteral("Picture '%1': %2").arg(path, QString::fromUtf8(error.what()))};
    }
}

} // namespace qm
