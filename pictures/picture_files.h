#pragma once
// How the picture pane reads a picture file: JPEG with the pane's own decoder settings (an 8-bit
// palette of 236 colours), everything else by the class registered for the file's extension.

#include <QSize>
#include <QString>

namespace qm {

class TJPEGImage;
class TPicture;

// True when the lower-cased path contains ".jpg" or ".jpeg" anywhere, not only at its end: such
// a path is always decoded as JPEG.
bool DecodesAsJPEG(const QString& path);

// The pane's JPEG settings: full size, quality first, 236 colours, no block smoothing, colour.
void ApplyPaneJPEGSettings(TJPEGImage& jpeg);

// Loads `path` into `picture` by the rule above. A JPEG shown shrunk into `fitSize` (not empty)
// is decoded at the smallest DCT scale that still fills it, and decoded JPEGs are kept in a small
// cache (at most kPaneCacheBytes), so that moving back to a row shows its picture at once. On
// failure the error passes on and `picture` keeps what it had.
void LoadPanePicture(TPicture& picture, const QString& path, QSize fitSize = {});

// The most memory the pane's cache of decoded JPEGs keeps (compressed data and pixels).
inline constexpr qint64 kPaneCacheBytes = 64ll << 20;

} // namespace qm
