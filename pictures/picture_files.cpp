#include "pictures/picture_files.h"

#include "framework/graphics/jpeg_image.h"
#include "framework/graphics/picture.h"

#include <QCache>
#include <QDateTime>
#include <QFileInfo>
#include <memory>

namespace qm {

bool DecodesAsJPEG(const QString& path) {
    const QString lower = path.toLower();
    return lower.contains(QStringLiteral(".jpg")) || lower.contains(QStringLiteral(".jpeg"));
}

void ApplyPaneJPEGSettings(TJPEGImage& jpeg) {
    jpeg.SetScale(TJPEGScale::jsFullSize);
    jpeg.SetPerformance(TJPEGPerformance::jpBestQuality);
    jpeg.SetPixelFormat(TJPEGPixelFormat::jf8Bit);
    jpeg.SetSmoothing(false);
    jpeg.SetGrayscale(false);
}

namespace {

// A decoded file is known by its path, its modification time and size, and the size it was fitted to.
QString CacheKey(const QString& path, QSize fitSize) {
    const QFileInfo info(path);
    return QStringLiteral("%1|%2|%3|%4x%5")
        .arg(info.absoluteFilePath())
        .arg(info.lastModified().toMSecsSinceEpoch())
        .arg(info.size())
        .arg(fitSize.width())
        .arg(fitSize.height());
}

QCache<QString, TJPEGImage>& PaneCache() {
    static QCache<QString, TJPEGImage> cache(kPaneCacheBytes);
    return cache;
}

} // namespace

void LoadPanePicture(TPicture& picture, const QString& path, QSize fitSize) {
    if (!DecodesAsJPEG(path))
        return picture.LoadFromFile(path);
    const QString key = CacheKey(path, fitSize);
    if (const TJPEGImage* cached = PaneCache().object(key))
        return picture.Assign(*cached);
    auto jpeg = std::make_unique<TJPEGImage>();
    ApplyPaneJPEGSettings(*jpeg);
    jpeg->SetFitSize(fitSize);
    jpeg->LoadFromFile(path);
    picture.Assign(*jpeg);
    const qsizetype cost = jpeg->Bitmap().Image().sizeInBytes() + jpeg->DataSize();
    PaneCache().insert(key, jpeg.release(), cost);
}

} // namespace qm
