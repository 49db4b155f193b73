#pragma once
// Pictures made at test time: a colourful image with far more than 256 colours, its JPEG, BMP and
// ICO encodings (Qt's writers, which are independent of ours), and files holding them.

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

namespace qm::test {

// Every pixel a different mix of red, green and blue: thousands of colours.
QImage ColourfulImage(int width, int height);
// The image as a baseline JPEG (or progressive) of the given quality, by Qt's writer.
QByteArray JPEGBytes(const QImage& image, int quality = 90, bool progressive = false);
// The image as a BMP file of its own depth, by Qt's writer.
QByteArray BMPBytes(const QImage& image);
// An .ico file holding the images in order, each as Qt's writer encodes it (32 bits with alpha).
QByteArray ICOBytes(const QList<QImage>& images);
// A JPEG (baseline frame header) or uncompressed BMP whose header declares width x height while
// its data stays that of the picture it was: a file claiming far more than it holds.
QByteArray WithDeclaredSize(QByteArray picture, int width, int height);
// The JPEG with an EXIF block right after its start marker whose orientation tag is `orientation`
// (1 to 8, as a camera writes it), in Intel byte order.
QByteArray WithOrientation(const QByteArray& jpeg, int orientation);
// A GIF whose logical screen is width x height, holding one 1 x 1 frame (35 bytes).
QByteArray GIFWithScreen(int width, int height);
// Writes `bytes` to `path`; fails the calling test when it cannot.
void WriteFile(const QString& path, const QByteArray& bytes);
// The distinct colours of an image.
int DistinctColours(const QImage& image);

} // namespace qm::test
