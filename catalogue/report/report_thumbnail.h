#pragma once
// Thumbnails of the pictures a report shows: made one at a time from the file, never larger than
// kThumbnailSide on either side, so a report of many pictures holds one of them at a time.

#include <QImage>
#include <QString>

namespace qm {

inline constexpr int kThumbnailSide = 200;
// A picture file larger than this is not read for a thumbnail.
inline constexpr qint64 kMaxThumbnailFileBytes = qint64{64} << 20;

struct TThumbnail {
    QImage image;    // null when there is none
    QString problem; // why not, for a path that names a picture that cannot be shown
};

// The picture at `path` through the picture system (the class registered for its extension),
// scaled to fit kThumbnailSide × kThumbnailSide. A JPEG is decoded at the smallest of libjpeg's
// scales that still covers the thumbnail. An empty path gives neither image nor problem.
TThumbnail MakeThumbnail(const QString& path);

} // namespace qm
