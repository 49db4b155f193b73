// The picture system: the class registry, loading by extension, form streaming, the JPEG class over
// libjpeg with its two settings (the pane's 236 colours and full colour), the icon class, and bad
// input.
#include "framework/core/exceptions.h"
#include "framework/graphics/bitmap.h"
#include "framework/graphics/canvas.h"
#include "framework/graphics/icon.h"
#include "framework/graphics/jpeg_image.h"
#include "framework/graphics/picture.h"
#include "tests/support/picture_files.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <jerror.h>
#include <jpeglib.h>

namespace qm {
namespace {

using test::ColourfulImage;
using test::DistinctColours;
using test::JPEGBytes;
using test::WithDeclaredSize;
using test::WriteFile;

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& e) {
        return e.what();
    }
    return "no error";
}

TJPEGImage DecodedJPEG(const QByteArray& bytes, TJPEGPixelFormat format, bool smoothing = true) {
    TJPEGImage jpeg;
    jpeg.SetPixelFormat(format);
    jpeg.SetSmoothing(smoothing);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    jpeg.LoadFromStream(buffer);
    return jpeg;
}

TIcon LoadedIcon(const QByteArray& bytes) {
    TIcon icon;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    icon.LoadFromStream(buffer);
    return icon;
}

// A width x 1 icon whose pixels have the given alphas over the colour magenta, which the
// premultiplied pixels of Qt's reader give back exactly at every alpha of at least a half.
QImage AlphaRow(const std::vector<int>& alphas) {
    QImage image(static_cast<int>(alphas.size()), 1, QImage::Format_ARGB32);
    for (int x = 0; x < image.width(); ++x)
        image.setPixel(x, 0, qRgba(255, 0, 255, alphas[static_cast<std::size_t>(x)]));
    return image;
}

// The SOF0 marker's height and width fields, rewritten.
struct TExtensionCase {
    const char* file;
    const char* className; // nullptr: no class
};

class PictureByExtension : public ::testing::TestWithParam<TExtensionCase> {};

TEST_P(PictureByExtension, PicksTheRegisteredClassWithoutRegardToCase) {
    const TExtensionCase& c = GetParam();
    const QString suffix = QFileInfo(QString::fromLatin1(c.file)).suffix();
    const TGraphicClass* graphicClass = TPicture::ClassForExtension(suffix);
    if (c.className == nullptr) {
        EXPECT_EQ(graphicClass, nullptr);
        TPicture picture;
        EXPECT_EQ(ErrorOf([&] { picture.LoadFromFile(QString::fromLatin1(c.file)); }),
                  "Unknown picture file extension (." + suffix.toStdString() + ")");
        return;
    }
    ASSERT_NE(graphicClass, nullptr);
    EXPECT_EQ(graphicClass->className, QLatin1String(c.className));
    EXPECT_STREQ(graphicClass->create()->ClassName(), c.className);
}

INSTANTIATE_TEST_SUITE_P(
    Registry, PictureByExtension,
    ::testing::Values(TExtensionCase{"a.bmp", "TBitmap"}, TExtensionCase{"a.BMP", "TBitmap"},
                      TExtensionCase{"a.jpg", "TJPEGImage"}, TExtensionCase{"a.JpEg", "TJPEGImage"},
                      TExtensionCase{"a.ico", "TIcon"}, TExtensionCase{"a.ICO", "TIcon"},
                      TExtensionCase{"a.png", "TPNGImage"}, TExtensionCase{"a.WEBP", "TWebPImage"},
                      TExtensionCase{"a.tif", "TTIFFImage"}, TExtensionCase{"a.tiff", "TTIFFImage"},
                      TExtensionCase{"a.pcx", nullptr}, TExtensionCase{"/dir/noextension", nullptr}));

struct TFormatCase {
    const char* file;
    const char* format; // Qt's name
};

class QtFormat : public ::testing::TestWithParam<TFormatCase> {};

// Read through the picture system and written back in the same format, pixels kept.
TEST_P(QtFormat, LoadsAndSavesInItsOwnFormat) {
    if (!QImageWriter::supportedImageFormats().contains(GetParam().format))
        GTEST_SKIP() << "Qt has no " << GetParam().format << " plugin (qt6-image-formats-plugins)";
    QTemporaryDir dir;
    const QString path = dir.filePath(GetParam().file);
    const QImage image = ColourfulImage(30, 20);
    QImageWriter writer(path, GetParam().format);
    writer.setQuality(100);
    writer.setCompression(0);
    ASSERT_TRUE(writer.write(image));
    TPicture picture;
    picture.LoadFromFile(path);
    EXPECT_EQ(QSize(picture.Width(), picture.Height()), QSize(30, 20));
    const QString copy = dir.filePath(QStringLiteral("copy.") + QFileInfo(path).suffix());
    picture.SaveToFile(copy);
    QImageReader reader(copy);
    EXPECT_EQ(reader.format(), GetParam().format);
    const QImage saved = reader.read();
    EXPECT_EQ(saved.size(), QSize(30, 20));
    EXPECT_GE(test::DistinctColours(saved), 300) << "the pixels, not a blank picture";
}

INSTANTIATE_TEST_SUITE_P(Registry, QtFormat,
                         ::testing::Values(TFormatCase{"a.png", "png"}, TFormatCase{"a.webp", "webp"},
                                           TFormatCase{"a.TIF", "tiff"}));

class PictureFiles : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        WriteFile(path, bytes);
        return path;
    }
};

TEST_F(PictureFiles, AFailedLoadKeepsThePictureItHad) {
    TPicture picture;
    int changes = 0;
    picture.OnChange = [&](TPicture&) { ++changes; };
    picture.LoadFromFile(Write("good.bmp", test::BMPBytes(ColourfulImage(7, 5))));
    ASSERT_EQ(changes, 1);
    for (const QString& bad : {Write("bad.bmp", "BM not really"), Write("bad.jpg", "not a JPEG"),
                               dir.filePath("vanished.bmp"), dir.path() + "/folder.bmp"}) {
        if (bad.endsWith("folder.bmp")) {
            ASSERT_TRUE(QDir(dir.path()).mkdir("folder.bmp"));
        }
        EXPECT_THROW(picture.LoadFromFile(bad), Exception) << bad.toStdString();
        ASSERT_NE(picture.Graphic(), nullptr);
        EXPECT_STREQ(picture.Graphic()->ClassName(), "TBitmap");
        EXPECT_EQ(picture.Width(), 7);
    }
    EXPECT_EQ(changes, 1);
}

TEST_F(PictureFiles, FormDataStoresTheClassNameThenTheGraphic) {
    TPicture picture;
    picture.LoadFromFile(Write("p.jpg", JPEGBytes(ColourfulImage(20, 10))));
    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    picture.WriteData(stream);
    EXPECT_EQ(stream.data().left(11), QByteArray("\x0ATJPEGImage"));
    EXPECT_EQ(stream.data().mid(11, 2), QByteArray("\xFF\xD8", 2));
    stream.seek(0);
    TPicture back;
    back.ReadData(stream);
    ASSERT_NE(back.Graphic(), nullptr);
    EXPECT_STREQ(back.Graphic()->ClassName(), "TJPEGImage");
    EXPECT_EQ(back.Width(), 20);

    QBuffer unknown;
    unknown.setData(QByteArray("\x05TNone"));
    unknown.open(QIODevice::ReadOnly);
    EXPECT_EQ(ErrorOf([&] { back.ReadData(unknown); }), "Unknown graphic class TNone");
}

TEST_F(PictureFiles, AssignCopiesTheGraphicThroughItsClass) {
    TPicture source;
    source.LoadFromFile(Write("p.bmp", test::BMPBytes(ColourfulImage(4, 3))));
    TPicture copy;
    copy.Assign(source);
    ASSERT_NE(copy.Graphic(), source.Graphic());
    EXPECT_EQ(dynamic_cast<TBitmap&>(*copy.Graphic()).Image(),
              dynamic_cast<TBitmap&>(*source.Graphic()).Image());
    copy.Assign(TPicture());
    EXPECT_TRUE(copy.Empty());
}

TEST_F(PictureFiles, AnIconFileInCapitalsLoadsAsAnIconOfItsLargestImageAndStreamsByClassName) {
    const QImage largest = ColourfulImage(48, 40).convertToFormat(QImage::Format_ARGB32);
    TPicture picture;
    picture.LoadFromFile(
        Write("APP.ICO", test::ICOBytes({ColourfulImage(16, 16), largest, ColourfulImage(32, 32)})));
    ASSERT_NE(picture.Graphic(), nullptr);
    ASSERT_STREQ(picture.Graphic()->ClassName(), "TIcon");
    EXPECT_EQ(dynamic_cast<TIcon&>(*picture.Graphic()).Image(), largest);
    EXPECT_TRUE(TPicture::FileFormatDescriptions().contains("Icon (*.ico)"));

    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    picture.WriteData(stream);
    EXPECT_EQ(stream.data().left(6), QByteArray("\x05TIcon"));
    stream.seek(0);
    TPicture back;
    back.ReadData(stream);
    ASSERT_NE(back.Graphic(), nullptr);
    EXPECT_EQ(dynamic_cast<TIcon&>(*back.Graphic()).Image(), largest);
}

TEST(Icon, PixelsBelowHalfAlphaAreMaskedAndDrawingLeavesThemAsTheyWere) {
    const TIcon icon = LoadedIcon(test::ICOBytes({AlphaRow({0, 127, 128, 255})}));
    const TBitmap mask = icon.MaskBitmap();
    ASSERT_EQ(mask.PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(mask.ScanLine(0)[0] >> 4, 0b1100);

    QImage target(8, 2, CanvasImageFormat);
    target.fill(Qt::green);
    TCanvas canvas(target);
    TIcon(icon).Draw(canvas, QRect(0, 0, 8, 2)); // stretched twice as wide and high
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(target.pixel(x, 1), x < 4 ? qRgb(0, 255, 0) : qRgb(255, 0, 255)) << x;
}

TEST(Icon, SavesWhatItLoadedCopiesToIconsAndBitmapsAndKeepsItsSize) {
    TIcon icon = LoadedIcon(test::ICOBytes({AlphaRow({0, 90, 200, 255})}));
    QBuffer saved;
    saved.open(QIODevice::WriteOnly);
    icon.SaveToStream(saved);
    EXPECT_EQ(LoadedIcon(saved.data()).Image(), icon.Image());

    TIcon copy;
    copy.Assign(icon);
    EXPECT_EQ(copy.Image(), icon.Image());
    TBitmap bitmap;
    bitmap.Assign(icon);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf32bit);
    EXPECT_EQ(bitmap.Image(), icon.Image());
    EXPECT_THROW(copy.Assign(bitmap), EConvertError);
    EXPECT_EQ(ErrorOf([&] { icon.SetWidth(8); }), "Cannot change the size of an icon");
}

struct TBadIcon {
    const char* name;
    std::function<QByteArray(const QByteArray&)> damage;
};

class BadIcon : public ::testing::TestWithParam<TBadIcon> {};

TEST_P(BadIcon, IsNotValidAndTheIconKeepsWhatItHad) {
    const QByteArray good = test::ICOBytes({ColourfulImage(24, 20)});
    TIcon icon = LoadedIcon(good);
    QBuffer buffer;
    buffer.setData(GetParam().damage(good));
    buffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(ErrorOf([&] { icon.LoadFromStream(buffer); }), "Icon image is not valid");
    EXPECT_EQ(icon.GetWidth(), 24);
}

// The directory entry: width, height, colours, reserved, planes, bits, byte count, offset.
QByteArray WithEntryField(QByteArray ico, int at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        ico[6 + at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return ico;
}

INSTANTIATE_TEST_SUITE_P(
    Reader, BadIcon,
    ::testing::Values(
        TBadIcon{"Empty", [](const QByteArray&) { return QByteArray(); }},
        TBadIcon{"ABitmap", [](const QByteArray&) { return test::BMPBytes(ColourfulImage(4, 4)); }},
        TBadIcon{"NoImages", [](const QByteArray& i) { return i.left(4) + QByteArray(2, '\0'); }},
        TBadIcon{"DirectoryOnly", [](const QByteArray& i) { return i.left(22); }},
        TBadIcon{"HalfTheImage", [](const QByteArray& i) { return i.left(22 + (i.size() - 22) / 2); }},
        TBadIcon{"OffsetPastTheEnd", [](const QByteArray& i) { return WithEntryField(i, 12, 0x7FFFFFF0); }}),
    [](const auto& info) { return info.param.name; });

TEST(JPEGImage, PaneSettingsGiveAtMost236ColoursWhileTheDefaultsKeepFullColour) {
    const QImage original = ColourfulImage(160, 120);
    const QByteArray bytes = JPEGBytes(original);
    const TJPEGImage pane = DecodedJPEG(bytes, TJPEGPixelFormat::jf8Bit, false);
    EXPECT_EQ(pane.Bitmap().PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_LE(pane.Bitmap().Image().colorCount(), kJPEGPaletteColors);
    EXPECT_GT(pane.Bitmap().Image().colorCount(), 128); // libjpeg's quantizer used the room it had
    EXPECT_LE(DistinctColours(pane.Bitmap().Image()), kJPEGPaletteColors);

    const TJPEGImage full = DecodedJPEG(bytes, TJPEGPixelFormat::jf24Bit);
    EXPECT_EQ(full.Bitmap().PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_GT(DistinctColours(full.Bitmap().Image()), 1000);
    // Qt's reader decodes with the same library: the full-colour pixels agree closely.
    const QImage oracle = QImage::fromData(bytes).convertToFormat(QImage::Format_RGB32);
    const QImage ours = full.Bitmap().Image().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(ours.size(), oracle.size());
    int worst = 0;
    for (int y = 0; y < ours.height(); ++y)
        for (int x = 0; x < ours.width(); ++x) {
            const QRgb a = ours.pixel(x, y), b = oracle.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
        }
    EXPECT_LE(worst, 2);
}

TEST(JPEGImage, ChangingASettingDecodesAgainAndAssignCarriesDataAndSettings) {
    const QByteArray bytes = JPEGBytes(ColourfulImage(64, 32), 90, true);
    TJPEGImage jpeg = DecodedJPEG(bytes, TJPEGPixelFormat::jf24Bit);
    jpeg.SetScale(TJPEGScale::jsQuarter);
    EXPECT_EQ(jpeg.GetWidth(), 16);
    EXPECT_EQ(jpeg.GetHeight(), 8);
    jpeg.SetGrayscale(true);
    EXPECT_EQ(jpeg.Bitmap().PixelFormat(), TPixelFormat::pf8bit);

    TJPEGImage copy;
    copy.Assign(jpeg);
    EXPECT_EQ(copy.Scale(), TJPEGScale::jsQuarter);
    EXPECT_TRUE(copy.Grayscale());
    EXPECT_EQ(copy.Bitmap().Image(), jpeg.Bitmap().Image());
    TBitmap bitmap;
    bitmap.Assign(jpeg);
    EXPECT_EQ(bitmap.Image(), jpeg.Bitmap().Image());

    QBuffer saved;
    saved.open(QIODevice::WriteOnly);
    copy.SaveToStream(saved);
    EXPECT_EQ(saved.data(), bytes);
}

struct TFitCase {
    QSize fit;
    QSize pixels; // what the decoder holds for the 200 x 150 picture
};

class JPEGFit : public ::testing::TestWithParam<TFitCase> {};

// The smallest DCT scale whose pixels still cover the fitted size; the picture keeps its size.
TEST_P(JPEGFit, DecodesTheFewestPixelsThatStillFill) {
    TJPEGImage jpeg = DecodedJPEG(JPEGBytes(ColourfulImage(200, 150)), TJPEGPixelFormat::jf8Bit);
    jpeg.SetFitSize(GetParam().fit);
    EXPECT_EQ(jpeg.Bitmap().Image().size(), GetParam().pixels);
    EXPECT_EQ(QSize(jpeg.GetWidth(), jpeg.GetHeight()), QSize(200, 150));
}

INSTANTIATE_TEST_SUITE_P(
    Scales, JPEGFit,
    ::testing::Values(TFitCase{QSize(25, 19), QSize(25, 19)},  // 1/8 exactly
                      TFitCase{QSize(26, 10), QSize(50, 38)},  // 1/4: 1/8 is a column short
                      TFitCase{QSize(60, 60), QSize(100, 75)}, // 1/2
                      TFitCase{QSize(130, 169), QSize(200, 150)}, TFitCase{QSize(), QSize(200, 150)}));

class JPEGOrientation : public ::testing::TestWithParam<int> {};

// A camera's orientation tag turns the picture as Qt's own reader turns it (the oracle), in the
// size the picture reports and in its pixels, fitted or not.
TEST_P(JPEGOrientation, TurnsThePictureAsTheTagSays) {
    const QByteArray bytes = test::WithOrientation(JPEGBytes(ColourfulImage(64, 40), 95), GetParam());
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QImage expected = reader.read().convertToFormat(QImage::Format_RGB32);
    TJPEGImage jpeg = DecodedJPEG(bytes, TJPEGPixelFormat::jf24Bit, false);
    EXPECT_EQ(QSize(jpeg.GetWidth(), jpeg.GetHeight()), expected.size());
    const QImage shown = jpeg.Bitmap().Image().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), expected.size());
    for (const QPoint corner : {QPoint(0, 0), QPoint(shown.width() - 1, 0), QPoint(0, shown.height() - 1)}) {
        const QRgb a = shown.pixel(corner);
        const QRgb b = expected.pixel(corner);
        EXPECT_LE(
            std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)), 24)
            << corner.x() << "," << corner.y();
    }
    // Fitting takes the size as shown: 5 x 8 after a quarter turn needs 1/8 of 64 x 40.
    jpeg.SetFitSize(expected.size() / 8);
    EXPECT_EQ(jpeg.Bitmap().Image().size(), expected.size() / 8);
}

INSTANTIATE_TEST_SUITE_P(Exif, JPEGOrientation, ::testing::Range(1, 9));

// A 16 x 16 JPEG of printers' inks, all one colour, stored as Adobe's writers store it: inverted
// inks with the Adobe marker, in the file's colour space `space` (CMYK or YCCK).
QByteArray InkJPEG(J_COLOR_SPACE space, const std::array<std::uint8_t, 4>& inks) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = cinfo.image_height = 16;
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, space);
    cinfo.write_Adobe_marker = TRUE;
    jpeg_start_compress(&cinfo, TRUE);
    std::array<std::uint8_t, 16 * 4> row{};
    for (std::size_t i = 0; i < row.size(); ++i)
        row[i] = static_cast<std::uint8_t>(255 - inks[i % 4]);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
    std::free(buffer);
    return bytes;
}

struct TInkCase {
    const char* name;
    J_COLOR_SPACE space;
    TJPEGPixelFormat format;
};

class InkJPEGColours : public ::testing::TestWithParam<TInkCase> {};

// Scanned print covers: magenta and yellow ink make red, in both outputs.
TEST_P(InkJPEGColours, ShowAsScreenColours) {
    const TJPEGImage jpeg = DecodedJPEG(InkJPEG(GetParam().space, {0, 255, 255, 0}), GetParam().format);
    const QRgb shown = jpeg.Bitmap().Image().pixel(8, 8);
    EXPECT_GE(qRed(shown), 245);
    EXPECT_LE(qGreen(shown) + qBlue(shown), 20);
    EXPECT_LE(test::DistinctColours(jpeg.Bitmap().Image()), 236);
}

INSTANTIATE_TEST_SUITE_P(Inks, InkJPEGColours,
                         ::testing::Values(TInkCase{"CMYK", JCS_CMYK, TJPEGPixelFormat::jf24Bit},
                                           TInkCase{"CMYKPane", JCS_CMYK, TJPEGPixelFormat::jf8Bit},
                                           TInkCase{"YCCK", JCS_YCCK, TJPEGPixelFormat::jf24Bit},
                                           TInkCase{"YCCKPane", JCS_YCCK, TJPEGPixelFormat::jf8Bit}),
                         [](const auto& info) { return info.param.name; });

struct TBadJPEG {
    const char* name;
    std::function<QByteArray(const QByteArray&)> damage;
    std::string message;
};

class BadJPEG : public ::testing::TestWithParam<TBadJPEG> {};

TEST_P(BadJPEG, RaisesItsErrorAndKeepsTheImage) {
    const QByteArray good = JPEGBytes(ColourfulImage(48, 40));
    TJPEGImage jpeg = DecodedJPEG(good, TJPEGPixelFormat::jf8Bit);
    QBuffer buffer;
    buffer.setData(GetParam().damage(good));
    buffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(ErrorOf([&] { jpeg.LoadFromStream(buffer); }), GetParam().message);
    EXPECT_EQ(jpeg.GetWidth(), 48);
}

INSTANTIATE_TEST_SUITE_P(
    Decoder, BadJPEG,
    ::testing::Values(
        TBadJPEG{"Empty", [](const QByteArray&) { return QByteArray(); },
                 "JPEG error #" + std::to_string(JERR_INPUT_EMPTY)},
        TBadJPEG{"NotAJPEG", [](const QByteArray&) { return QByteArray("BM this is a bitmap"); },
                 "JPEG error #" + std::to_string(JERR_NO_SOI)},
        TBadJPEG{"Truncated", [](const QByteArray& j) { return j.left(j.size() / 2); },
                 "JPEG error #" + std::to_string(JWRN_JPEG_EOF)},
        TBadJPEG{"HeaderOnly",
                 [](const QByteArray& j) { return j.left(j.indexOf(QByteArray("\xFF\xDA", 2))); },
                 "JPEG error #" + std::to_string(JWRN_JPEG_EOF)},
        TBadJPEG{"CutWithItsEndMarkerPutBack",
                 [](const QByteArray& j) { return j.left(j.size() / 2) + QByteArray("\xFF\xD9", 2); },
                 "JPEG error #" + std::to_string(JWRN_HIT_MARKER)},
        TBadJPEG{"DeclaresMoreThanItsDataFills",
                 [](const QByteArray& j) { return WithDeclaredSize(j, 16000, 16000); }, sJPEGExceedsData},
        // Data after the end marker lets the picture pass the data bound; the absolute one holds.
        TBadJPEG{
            "Declares65500SquareWithDataEnough",
            [](const QByteArray& j) { return WithDeclaredSize(j, 65500, 65500) + QByteArray(2 << 20, '\0'); },
            "Picture is too large to show (65500 x 65500 pixels)"}),
    [](const auto& info) { return info.param.name; });

struct TBadBitmap {
    const char* name;
    std::function<QByteArray()> bytes;
    std::string message;
};

QByteArray ColourfulBMP() {
    return test::BMPBytes(ColourfulImage(64, 48));
}

class BadBitmap : public ::testing::TestWithParam<TBadBitmap> {};

// Refused before decoding: the bitmap stays as it was, also for JPEG data it reads.
TEST_P(BadBitmap, RaisesItsErrorAndKeepsTheBitmap) {
    QBuffer buffer;
    buffer.setData(GetParam().bytes());
    buffer.open(QIODevice::ReadOnly);
    TBitmap bitmap(3, 2, TPixelFormat::pf24bit);
    EXPECT_EQ(ErrorOf([&] { bitmap.LoadFromStream(buffer); }), GetParam().message);
    EXPECT_EQ(bitmap.Width(), 3);
}

INSTANTIATE_TEST_SUITE_P(
    Decoder, BadBitmap,
    ::testing::Values(
        // 40000 x 40000 at 24 bits would be 4.8 GB.
        TBadBitmap{"DeclaresMoreThanItsDataFills",
                   [] { return WithDeclaredSize(test::BMPBytes(ColourfulImage(4, 4)), 40000, 40000); },
                   sBitmapExceedsData},
        TBadBitmap{"CutInHalf", [] { return ColourfulBMP().left(ColourfulBMP().size() / 2); },
                   sInvalidBitmap},
        TBadBitmap{"CutTo60Bytes", [] { return ColourfulBMP().left(60); }, sInvalidBitmap},
        TBadBitmap{"JPEGCutWithItsEndMarkerPutBack",
                   [] {
                       const QByteArray j = JPEGBytes(ColourfulImage(48, 40));
                       return j.left(j.size() / 2) + QByteArray("\xFF\xD9", 2);
                   },
                   "JPEG error #" + std::to_string(JWRN_HIT_MARKER)}),
    [](const auto& info) { return info.param.name; });

} // namespace
} // namespace qm
