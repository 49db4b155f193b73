#include "tests/support/picture_files.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <gtest/gtest.h>
#include <unordered_set>

namespace qm::test {

QImage ColourfulImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           qRgb(x * 255 / std::max(1, width - 1), y * 255 / std::max(1, height - 1),
                                (x * 7 + y * 13) & 0xFF));
    return image;
}

namespace {

QByteArray Encoded(const QImage& image, const char* format, int quality, bool progressive) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
    return bytes;
}

} // namespace

QByteArray JPEGBytes(const QImage& image, int quality, bool progressive) {
    return Encoded(image, "jpeg", quality, progressive);
}

QByteArray BMPBytes(const QImage& image) {
    return Encoded(image, "bmp", -1, false);
}

QByteArray ICOBytes(const QList<QImage>& images) {
    // Qt writes one image per file: its 6-byte header, one 16-byte directory entry whose last four
    // bytes are the image's offset, then the image. The directories are joined and the offsets
    // moved past the longer directory.
    constexpr int kHeader = 6;
    constexpr int kEntry = 16;
    QByteArray directory("\0\0\1\0", 4);
    directory.append(static_cast<char>(images.size() & 0xFF));
    directory.append(static_cast<char>(images.size() >> 8));
    QByteArray bodies;
    for (const QImage& image : images) {
        const QByteArray one = Encoded(image, "ico", -1, false);
        QByteArray entry = one.mid(kHeader, kEntry);
        const auto offset = static_cast<std::uint32_t>(kHeader + kEntry * images.size() + bodies.size());
        for (int i = 0; i < 4; ++i)
            entry[12 + i] = static_cast<char>((offset >> (8 * i)) & 0xFF);
        directory.append(entry);
        bodies.append(one.mid(kHeader + kEntry));
    }
    return directory + bodies;
}

namespace {

void PutBytes(QByteArray& bytes, qsizetype at, std::uint32_t value, int count, bool bigEndian) {
    for (int i = 0; i < count; ++i) {
        const int shift = 8 * (bigEndian ? count - 1 - i : i);
        bytes[at + i] = static_cast<char>((value >> shift) & 0xFF);
    }
}

} // namespace

QByteArray WithDeclaredSize(QByteArray picture, int width, int height) {
    const auto w = static_cast<std::uint32_t>(width);
    const auto h = static_cast<std::uint32_t>(height);
    if (picture.startsWith("BM")) {
        PutBytes(picture, 18, w, 4, false);
        PutBytes(picture, 22, h, 4, false);
        return picture;
    }
    const qsizetype sof = picture.indexOf(QByteArray("\xFF\xC0", 2));
    EXPECT_GT(sof, 0);
    PutBytes(picture, sof + 5, h, 2, true);
    PutBytes(picture, sof + 7, w, 2, true);
    return picture;
}

QByteArray WithOrientation(const QByteArray& jpeg, int orientation) {
    // "Exif\0\0", a little-endian TIFF header, one directory of one SHORT entry (tag 0x0112).
    QByteArray exif("Exif\0\0II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0..\0\0\0\0\0\0", 32);
    PutBytes(exif, 24, static_cast<std::uint32_t>(orientation), 2, false);
    QByteArray segment("\xFF\xE1..", 4);
    PutBytes(segment, 2, static_cast<std::uint32_t>(exif.size() + 2), 2, true);
    return jpeg.left(2) + segment + exif + jpeg.mid(2);
}

QByteArray GIFWithScreen(int width, int height) {
    QByteArray gif("GIF89a....\x80\0\0" // screen, a global table of two colours
                   "\0\0\0\xFF\xFF\xFF"
                   "\x2C\0\0\0\0\1\0\1\0\0" // a 1 x 1 frame at the top left
                   "\x02\x02\x4C\x01\0\x3B",
                   35);
    PutBytes(gif, 6, static_cast<std::uint32_t>(width), 2, false);
    PutBytes(gif, 8, static_cast<std::uint32_t>(height), 2, false);
    return gif;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

int DistinctColours(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::unordered_set<QRgb> colours;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            colours.insert(rgb.pixel(x, y));
    return static_cast<int>(colours.size());
}

} // namespace qm::test
