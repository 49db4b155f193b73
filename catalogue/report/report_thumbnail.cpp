#include "catalogue/report/report_thumbnail.h"

#include "framework/core/exceptions.h"
#include "framework/graphics/bitmap.h"
#include "framework/graphics/canvas.h"
#include "framework/graphics/jpeg_image.h"
#include "framework/graphics/picture.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

namespace qm {

namespace {

QImage Fitted(const QImage& image) {
    if (image.width() <= kThumbnailSide && image.height() <= kThumbnailSide)
        return image.convertToFormat(QImage::Format_RGB32);
    return image.scaled(kThumbnailSide, kThumbnailSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

// A full-size decode of a photograph costs a hundred times what the thumbnail needs: the JPEG is
// read at an eighth first, which tells its size, and again at the smallest scale that still
// gives the thumbnail's pixels.
QImage JpegThumbnail(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EInvalidGraphic("Cannot open the picture");
    TJPEGImage jpeg;
    jpeg.SetPerformance(TJPEGPerformance::jpBestSpeed);
    jpeg.SetScale(TJPEGScale::jsEighth);
    jpeg.LoadFromStream(file);
    const int eighth = std::max(jpeg.GetWidth(), jpeg.GetHeight());
    if (eighth * 4 < kThumbnailSide)
        jpeg.SetScale(TJPEGScale::jsFullSize);
    else if (eighth * 2 < kThumbnailSide)
        jpeg.SetScale(TJPEGScale::jsHalf);
    else if (eighth < kThumbnailSide)
        jpeg.SetScale(TJPEGScale::jsQuarter);
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
