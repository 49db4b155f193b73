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
