// The framework bitmap: pixel formats and their row layout, conversions, palettes, and BMP files
// written by us and read back through Qt's reader.
#include "framework/core/exceptions.h"
#include "framework/graphics/bitmap.h"
#include "framework/graphics/stock_palettes.h"

#include <QBuffer>
#include <QImageReader>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace qm {
namespace {

std::uint32_t LE32(const QByteArray& bytes, int at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    return v;
}

QByteArray Saved(const TBitmap& bitmap) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    bitmap.SaveToStream(buffer);
    return buffer.data();
}

TBitmap Loaded(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    TBitmap bitmap;
    bitmap.LoadFromStream(buffer);
    return bitmap;
}

TBitmap Gradient(int width, int height) {
    TBitmap bitmap(width, height, TPixelFormat::pf24bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = bitmap.ScanLine(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(x * 40);
            p[1] = static_cast<std::uint8_t>(y * 60);
            p[2] = static_cast<std::uint8_t>(x * 7 + y);
        }
    return bitmap;
}

struct FormatCase {
    TPixelFormat format;
    int bits;
    int bytesPerLineFor5;
};

class BitmapFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(BitmapFormat, NewBitmapsAreZeroWithTheRowLayoutOfTheirFormat) {
    const TBitmap bitmap(5, 3, GetParam().format);
    EXPECT_EQ(bitmap.PixelFormat(), GetParam().format);
    EXPECT_EQ(BitsPerPixel(bitmap.PixelFormat()), GetParam().bits);
    EXPECT_EQ(bitmap.BytesPerLine(), GetParam().bytesPerLineFor5);
    EXPECT_EQ(bitmap.Palette().has_value(), GetParam().bits <= 8);
    for (int y = 0; y < 3; ++y)
        for (int i = 0; i < 5 * GetParam().bits / 8; ++i)
            ASSERT_EQ(bitmap.ScanLine(y)[i], 0);
}

TEST_P(BitmapFormat, SavedFilesReadBackWithTheSamePixels) {
    TBitmap bitmap = Gradient(5, 3);
    bitmap.SetPixelFormat(GetParam().format);
    const QImage expected = bitmap.Image().convertToFormat(QImage::Format_RGB32);
    const QByteArray file = Saved(bitmap);
    EXPECT_EQ(LE32(file, 28) & 0xFFFF, static_cast<std::uint32_t>(GetParam().bits));
    const int table = bitmap.Palette() ? bitmap.Palette()->Count() : 0;
    EXPECT_EQ(LE32(file, 46), static_cast<std::uint32_t>(table));
    EXPECT_EQ(LE32(file, 50), static_cast<std::uint32_t>(table));
    EXPECT_EQ(LE32(file, 10), static_cast<std::uint32_t>(54 + 4 * table));
    EXPECT_EQ(LE32(file, 2), static_cast<std::uint32_t>(file.size()));
    const QImage back = Loaded(file).Image().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(back, expected);
}

INSTANTIATE_TEST_SUITE_P(AllFormats, BitmapFormat,
                         ::testing::Values(FormatCase{TPixelFormat::pf1bit, 1, 4},
                                           FormatCase{TPixelFormat::pf4bit, 4, 8},
                                           FormatCase{TPixelFormat::pf8bit, 8, 8},
                                           FormatCase{TPixelFormat::pf24bit, 24, 16},
                                           FormatCase{TPixelFormat::pf32bit, 32, 20}));

TEST(BitmapRows, TrueColourRowsAreBlueGreenRed) {
    TBitmap bitmap(2, 1, TPixelFormat::pf24bit);
    std::uint8_t* row = bitmap.ScanLine(0);
    row[3] = 10;
    row[4] = 20;
    row[5] = 30;
    EXPECT_EQ(bitmap.Image().pixel(1, 0), qRgb(30, 20, 10));
    bitmap.SetPixelFormat(TPixelFormat::pf32bit);
    EXPECT_EQ(bitmap.ScanLine(0)[4], 10);
    EXPECT_EQ(bitmap.ScanLine(0)[6], 30);
}

TEST(BitmapRows, OneBitRowsPutTheLeftmostPixelInTheTopBit) {
    TBitmap bitmap(9, 1, TPixelFormat::pf24bit);
    std::memset(bitmap.ScanLine(0), 0xFF, 3);      // pixel 0 white
    std::memset(bitmap.ScanLine(0) + 24, 0xFF, 3); // pixel 8 white
    bitmap.SetPixelFormat(TPixelFormat::pf1bit);
    const auto palette = bitmap.Palette();
    ASSERT_TRUE(palette);
    const int white = (*palette)[0].peRed == 255 ? 0 : 1;
    const std::uint8_t* row = bitmap.ScanLine(0);
    EXPECT_EQ((row[0] >> 7) & 1, white);
    EXPECT_EQ((row[0] >> 6) & 1, 1 - white);
    EXPECT_EQ((row[1] >> 7) & 1, white);
}

TEST(BitmapRows, RowsOutsideTheBitmapAreRefused) {
    TBitmap bitmap(2, 2, TPixelFormat::pf8bit);
    for (int row : {-1, 2}) {
        try {
            bitmap.ScanLine(row);
            ADD_FAILURE() << row;
        } catch (const EInvalidGraphicOperation& e) {
            EXPECT_STREQ(e.what(), "Scan line index out of range");
        }
    }
    const TBitmap empty;
    EXPECT_THROW(empty.ScanLine(0), EInvalidGraphicOperation);
}

TEST(BitmapConversion, FourBitsMapsTrueColourToSixteenStockColours) {
    TBitmap bitmap = Gradient(5, 3);
    bitmap.SetPixelFormat(TPixelFormat::pf4bit);
    ASSERT_EQ(bitmap.Palette()->Count(), 16);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_LT(bitmap.ScanLine(y)[x], 16);
    const TPalette stock = StockDefaultPalette();
    EXPECT_EQ((*bitmap.Palette())[15], stock[19]);
}

TEST(BitmapConversion, TrueColourRoundTripsAndEmptyBitmapsOnlyChangeTheirFormat) {
    TBitmap bitmap = Gradient(4, 4);
    const QImage before = bitmap.Image();
    bitmap.SetPixelFormat(TPixelFormat::pf32bit);
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    EXPECT_EQ(bitmap.Image(), before);
    TBitmap empty;
    empty.SetPixelFormat(TPixelFormat::pf1bit);
    EXPECT_TRUE(empty.Empty());
    EXPECT_EQ(empty.PixelFormat(), TPixelFormat::pf1bit);
}

TEST(BitmapPalette, IndexedBitmapsTakePalettesThatFitTheirFormat) {
    TBitmap bitmap(2, 2, TPixelFormat::pf8bit);
    const TPalette grey({{7, 7, 7, 0}, {9, 9, 9, 0}});
    bitmap.SetPalette(grey);
    EXPECT_EQ(*bitmap.Palette(), grey);
    bitmap.SetSize(3, 3);
    EXPECT_EQ(*bitmap.Palette(), grey);
    TBitmap mono(2, 2, TPixelFormat::pf1bit);
    EXPECT_THROW(mono.SetPalette(StockDefaultPalette()), EInvalidGraphicOperation);
    TBitmap colour(2, 2, TPixelFormat::pf24bit);
    EXPECT_THROW(colour.SetPalette(grey), EInvalidGraphicOperation);
}

TEST(BitmapFiles, UnreadableDataIsReportedAndChangesNothing) {
    TBitmap bitmap(3, 2, TPixelFormat::pf24bit);
    QBuffer buffer;
    buffer.setData(QByteArray("BM not really a bitmap"));
    buffer.open(QIODevice::ReadOnly);
    try {
        bitmap.LoadFromStream(buffer);
        ADD_FAILURE();
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Bitmap image is not valid");
    }
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_THROW(bitmap.LoadFromFile("/nonexistent/picture.bmp"), EInvalidGraphic);
}

TEST(BitmapFiles, SavingToAFileReplacesItOnlyWhenTheWriteSucceeds) {
    QTemporaryDir dir;
    const QString path = dir.filePath("out.bmp");
    Gradient(3, 3).SaveToFile(path);
    TBitmap back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.Width(), 3);
    EXPECT_EQ(back.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_THROW(back.SaveToFile(dir.filePath("missing/out.bmp")), EInvalidGraphic);
}

TEST(BitmapFiles, PngAndJpegLoadThroughQtsReaders) {
    QImage image(4, 2, QImage::Format_RGB32);
    image.fill(qRgb(200, 100, 50));
    for (const char* format : {"PNG", "JPEG"}) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(image.save(&buffer, format));
        const TBitmap bitmap = Loaded(bytes);
        EXPECT_EQ(bitmap.Width(), 4) << format;
        EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit) << format;
        EXPECT_NEAR(qRed(bitmap.Image().pixel(1, 1)), 200, 4) << format;
    }
}

} // namespace
} // namespace qm
