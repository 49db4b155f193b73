// The DIB writer's checks and hand-over, and the bitmap described as a DIB.
#include "colour/color_errors.h"
#include "colour/dib.h"
#include "colour/fixed_palettes.h"
#include "tests/colour/color_test_util.h"

#include <gtest/gtest.h>
#include <vector>

namespace qm {
namespace {

using test::ExpectError;
using test::Indices;
using test::TrueColorRow;

int Byte(const QByteArray& bytes, int at) {
    return static_cast<std::uint8_t>(bytes[at]);
}

TEST(DIBWriter, ChecksFormatDimensionsAndRows) {
    TBitmap target;
    ExpectError<GIFException>([&] { TDIBWriter(target, std::nullopt, 2, 2, TPixelFormat::pf4bit); },
                              "Unsupported PixelFormat");
    ExpectError<GIFException>([&] { TDIBWriter(target, std::nullopt, 0, 2, TPixelFormat::pf8bit); },
                              "Invalid image dimensions");
    ExpectError<GIFException>([&] { TDIBWriter(target, std::nullopt, 2, -1, TPixelFormat::pf24bit); },
                              "Invalid image dimensions");
    TDIBWriter writer(target, std::nullopt, 2, 2, TPixelFormat::pf8bit);
    ExpectError<EInvalidGraphicOperation>([&] { writer.RowPointer(2); }, "Scan line index out of range");
    ExpectError<EInvalidGraphicOperation>([&] { writer.RowPointer(-1); }, "Scan line index out of range");
}

TEST(DIBWriter, HandsItsRowsAndPaletteToTheBitmapWhenDone) {
    TBitmap target;
    {
        TDIBWriter writer(target, WindowsGrayPalette(), 3, 2, TPixelFormat::pf8bit);
        writer.RowPointer(0)[2] = 3;
        writer.RowPointer(1)[0] = 1;
        EXPECT_TRUE(target.Empty());
    }
    EXPECT_EQ(Indices(target), (std::vector<int>{0, 0, 3, 1, 0, 0}));
    QList<QRgb> table = WindowsGrayPalette().ToColorTable();
    table.resize(256, qRgb(0, 0, 0));
    EXPECT_EQ(target.Image().colorTable(), table)
        << "an 8-bit DIB carries 256 entries, zero past the palette";
    TBitmap untouched(1, 1, TPixelFormat::pf24bit);
    { TDIBWriter writer(untouched, std::nullopt, 5, 5, TPixelFormat::pf8bit); }
    EXPECT_EQ(untouched.Width(), 1);
}

TEST(DIBWriter, ReportsAnImageTooLargeToHold) {
    TBitmap target;
    TDIBWriter writer(target, std::nullopt, 1 << 30, 1 << 30, TPixelFormat::pf24bit);
    ExpectError<EOutOfMemory>([&] { writer.RowPointer(0); }, "Failed to allocate memory for GIF DIB");
}

struct SizeCase {
    TPixelFormat format;
    int header;
    int image;
};

class DIBSizes : public ::testing::TestWithParam<SizeCase> {};

TEST_P(DIBSizes, HeaderHoldsAFullColourTableAndRowsAreWordAligned) {
    const TBitmap bitmap(5, 3, TPixelFormat::pf24bit);
    int header = 0;
    int image = 0;
    InternalGetDIBSizes(bitmap, header, image, GetParam().format);
    EXPECT_EQ(header, GetParam().header);
    EXPECT_EQ(image, GetParam().image);
    QByteArray info;
    QByteArray bits;
    EXPECT_TRUE(InternalGetDIB(bitmap, std::nullopt, info, bits, GetParam().format));
    EXPECT_EQ(info.size(), header);
    EXPECT_EQ(bits.size(), image);
}

INSTANTIATE_TEST_SUITE_P(Formats, DIBSizes,
                         ::testing::Values(SizeCase{TPixelFormat::pf1bit, 48, 12},
                                           SizeCase{TPixelFormat::pf4bit, 104, 12},
                                           SizeCase{TPixelFormat::pf8bit, 1064, 24},
                                           SizeCase{TPixelFormat::pf24bit, 40, 48}));

TEST(DIBDescription, RefusesOtherFormatsAndEmptyBitmaps) {
    int header = 0;
    int image = 0;
    const TBitmap bitmap(2, 2, TPixelFormat::pf24bit);
    ExpectError<GIFException>([&] { InternalGetDIBSizes(bitmap, header, image, TPixelFormat::pf32bit); },
                              "Unsupported PixelFormat");
    const TBitmap empty;
    QByteArray info;
    QByteArray bits;
    ExpectError<EInvalidGraphic>(
        [&] { InternalGetDIB(empty, std::nullopt, info, bits, TPixelFormat::pf8bit); },
        "Bitmap image is not valid");
}

TEST(DIBDescription, TrueColourRowsRunBottomUpInBlueGreenRed) {
    TBitmap bitmap(2, 2, TPixelFormat::pf24bit);
    bitmap.ScanLine(1)[0] = 1; // bottom-left blue
    bitmap.ScanLine(1)[2] = 3; // bottom-left red
    bitmap.ScanLine(0)[5] = 9; // top-right red
    QByteArray info;
    QByteArray bits;
    InternalGetDIB(bitmap, std::nullopt, info, bits, TPixelFormat::pf24bit);
    EXPECT_EQ(Byte(info, 14), 24);
    EXPECT_EQ(Byte(bits, 0), 1);
    EXPECT_EQ(Byte(bits, 2), 3);
    EXPECT_EQ(Byte(bits, 6), 0); // padding
    EXPECT_EQ(Byte(bits, 8 + 5), 9);
}

TEST(DIBDescription, APaletteBecomesTheColourTableAndPixelsTakeItsNearestEntries) {
    const TBitmap bitmap = TrueColorRow({{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {10, 10, 10}});
    const TPalette palette({{0, 0, 0, 0}, {0, 0, 250, 0}, {250, 0, 0, 0}, {0, 250, 0, 0}});
    QByteArray info;
    QByteArray bits;
    InternalGetDIB(bitmap, palette, info, bits, TPixelFormat::pf8bit);
    EXPECT_EQ(bits.left(4), QByteArray("\x02\x03\x01\x00", 4));
    EXPECT_EQ(info.mid(40 + 4, 4), QByteArray("\xFA\x00\x00\x00", 4)); // entry 1 as blue, green, red, 0
    EXPECT_EQ(info.mid(40 + 16, 4), QByteArray(4, '\0'));              // past the palette: black

    // Two entries, white first: black pixels take index 1.
    const TBitmap mono = TrueColorRow({{0, 0, 0}, {255, 255, 255}, {0, 0, 0}});
    InternalGetDIB(mono, TPalette({{255, 255, 255, 0}, {0, 0, 0, 0}}), info, bits, TPixelFormat::pf1bit);
    EXPECT_EQ(Byte(bits, 0), 0xA0);
    EXPECT_EQ(Byte(info, 40), 255);
}

} // namespace
} // namespace qm
