#include "pictures/picture_files.h"

#include "framework/graphics/jpeg_image.h"
#include "framework/graphics/picture.h"

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

void LoadPanePicture(TPicture& picture, const QString& path) {
    if (!DecodesAsJPEG(path))
        return picture.LoadFromFile(path);
    TJPEGImage jpeg;
    ApplyPaneJPEGSettings(jpeg);
    jpeg.LoadFromFile(path);
    picture.Assign(jpeg);
}

} // namespace qm
