// The GIF image in the picture system: registration, assignment from bitmaps, icons, other graphics
// and other GIF images, and the clipboard formats.
#include "framework/graphics/bitmap.h"
#include "framework/graphics/icon.h"
#include "framework/graphics/jpeg_image.h"
#include "framework/graphics/picture.h"
#include "gif/gif_extensions.h"
#include "gif/gif_graphic_binding.h"
#include "tests/gif/gif_builder.h"
#include "tests/gif/gif_test_util.h"
#include "tests/support/picture_files.h"

#include <QMimeData>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

namespace qm {
namespace {

using test::GifBytes;
using test::LoadGif;
using test::SaveGif;

class GIFBinding : public ::testing::Test {
protected:
    void SetUp() override { InitializeGIFImage(); }
    void TearDown() override { FinalizeGIFImage(); }
};

// Colour number `c`, all distinct.
QRgb Colour(int c) {
    return qRgb(c % 256, 255 - (c / 256) * 50, 7);
}

// A bitmap of `format` whose pixels run through `colours` colours (indexed formats take them from
// the palette).
TBitmap Bitmap(TPixelFormat format, int width, int height, int colours) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int c = (y * width + x) % colours;
            image.setPixel(x, y, Colour(c));
        }
    TBitmap bitmap;
    bitmap.SetImage(image);
    if (IsIndexed(format)) {
        QList<QRgb> table;
        for (int c = 0; c < colours; ++c)
            table.append(Colour(c));
        bitmap.SetImage(image.convertToFormat(QImage::Format_Indexed8, table));
        bitmap.SetPixelFormat(format);
    } else {
        bitmap.SetPixelFormat(format);
    }
    return bitmap;
}

std::set<QRgb> MapColours(TGIFColorMap& map) {
    std::set<QRgb> colours;
    for (int i = 0; i < map.Count(); ++i)
        colours.insert(qRgb(map[i].Red, map[i].Green, map[i].Blue));
    return colours;
}

// The colour of every pixel of the frame through its colour map.
QImage FramePixels(TGIFSubImage& frame) {
    QImage image(frame.Width(), frame.Height(), QImage::Format_RGB32);
    TGIFColorMap& map = frame.GetActiveColorMap();
    for (int y = 0; y < frame.Height(); ++y)
        for (int x = 0; x < frame.Width(); ++x) {
            const TGIFColor c = map[frame.GetPixel(x, y)];
            image.setPixel(x, y, qRgb(c.Red, c.Green, c.Blue));
        }
    return image;
}

TEST_F(GIFBinding, UpperCaseExtensionLoadsAsAGIFImageAndShutDownForgetsIt) {
    QTemporaryDir dir;
    const QString path = dir.filePath("LOGO.GIF");
    test::WriteFile(path, GifBytes().header(2, 1, 2).frame(2, 1, {0, 1}).trailer().data());
    TPicture picture;
    picture.LoadFromFile(path);
    ASSERT_NE(picture.Graphic(), nullptr);
    EXPECT_STREQ(picture.Graphic()->ClassName(), "TGIFImage");
    EXPECT_EQ(picture.Width(), 2);
    EXPECT_TRUE(TPicture::FileFormatDescriptions().contains("GIF Image (*.gif)"));
    FinalizeGIFImage();
    EXPECT_THROW(picture.LoadFromFile(path), EInvalidGraphic);
}

struct TBitmapCase {
    const char* name;
    TPixelFormat format;
    int colours;
};

class BitmapToFrame : public GIFBinding, public ::testing::WithParamInterface<TBitmapCase> {};

// Indexed bitmaps keep their pixels and palette exactly; true colour with rmNone keeps every colour
// through the map the rows build.
TEST_P(BitmapToFrame, KeepsEveryPixelsColour) {
    const TBitmap bitmap = Bitmap(GetParam().format, 37, 11, GetParam().colours);
    TGIFImage image;
    image.ColorReduction = TColorReduction::rmNone;
    image.Assign(bitmap);
    ASSERT_EQ(image.Images().Count(), 1);
    TGIFSubImage& frame = *image.Images().Items(0);
    EXPECT_EQ(frame.Width(), 37);
    EXPECT_EQ(image.GetWidth(), 37);
    EXPECT_EQ(FramePixels(frame), bitmap.Image().convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(frame.GraphicControlExtension, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Formats, BitmapToFrame,
                         ::testing::Values(TBitmapCase{"OneBit", TPixelFormat::pf1bit, 2},
                                           TBitmapCase{"FourBit", TPixelFormat::pf4bit, 16},
                                           TBitmapCase{"EightBit", TPixelFormat::pf8bit, 200},
                                           TBitmapCase{"TrueColour", TPixelFormat::pf24bit, 256},
                                           TBitmapCase{"WithAlpha", TPixelFormat::pf32bit, 100}),
                         [](const auto& info) { return info.param.name; });

TEST_F(GIFBinding, TrueColourIsReducedWithTheImagesReductionNetscapeByDefault) {
    TGIFImage image;
    ASSERT_EQ(image.ColorReduction, TColorReduction::rmNetscape);
    image.Assign(Bitmap(TPixelFormat::pf24bit, 64, 64, 4096));
    const std::set<QRgb> colours = MapColours(image.Images().Items(0)->GetActiveColorMap());
    for (QRgb c : colours)
        for (int component : {qRed(c), qGreen(c), qBlue(c)})
            EXPECT_EQ(component % 51, 0) << std::hex << c; // the 6 x 6 x 6 cube's levels
    EXPECT_GT(colours.size(), 8u);

    TGIFImage overflowing;
    overflowing.ColorReduction = TColorReduction::rmNone;
    EXPECT_EQ(test::ErrorOf([&] { overflowing.Assign(Bitmap(TPixelFormat::pf24bit, 64, 64, 257)); }),
              "Color table overflow");
}

TEST_F(GIFBinding, TransparentBitmapGetsBlackAppendedAsItsTransparentEntryUnlessTheMapIsFull) {
    TBitmap bitmap = Bitmap(TPixelFormat::pf8bit, 16, 16, 40);
    bitmap.SetTransparent(true); // the bottom left pixel's colour is the transparent one
    const QRgb transparentColour = bitmap.Image().pixel(0, 15);
    TGIFImage image;
    image.Assign(bitmap);
    TGIFSubImage& frame = *image.Images().Items(0);
    ASSERT_NE(frame.GraphicControlExtension, nullptr);
    EXPECT_TRUE(frame.GraphicControlExtension->GetTransparent());
    const int index = frame.GraphicControlExtension->GetTransparentColorIndex();
    EXPECT_EQ(index, frame.ColorMap().Count() - 1);
    EXPECT_EQ(frame.ColorMap()[index], (TGIFColor{0, 0, 0}));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(frame.GetPixel(x, y) == index, bitmap.Image().pixel(x, y) == transparentColour);

    TBitmap full = Bitmap(TPixelFormat::pf8bit, 16, 16, 256);
    full.SetTransparent(true);
    TGIFImage opaque;
    opaque.Assign(full);
    EXPECT_EQ(opaque.Images().Items(0)->GraphicControlExtension, nullptr);
    EXPECT_FALSE(opaque.IsTransparent());
}

struct TIconCase {
    const char* name;
    int colours; // of the visible pixels
    bool transparent;
};

class IconToFrame : public GIFBinding, public ::testing::WithParamInterface<TIconCase> {};

// A 20 x 20 icon whose four corners are transparent: the corners become the appended black entry
// while there is room for it, and every other pixel keeps its colour.
TEST_P(IconToFrame, MaskedPixelsBecomeTheTransparentEntryWhenTheMapHasRoom) {
    QImage pixels(20, 20, QImage::Format_ARGB32);
    for (int i = 0; i < 400; ++i)
        pixels.setPixel(i % 20, i / 20, Colour(i % GetParam().colours));
    for (const QPoint corner : {QPoint(0, 0), QPoint(19, 0), QPoint(0, 19), QPoint(19, 19)})
        pixels.setPixel(corner, qRgba(90, 90, 90, 0));
    TIcon icon;
    QBuffer file;
    file.setData(test::ICOBytes({pixels}));
    file.open(QIODevice::ReadOnly);
    icon.LoadFromStream(file);

    TGIFImage image;
    image.ColorReduction = TColorReduction::rmNone;
    image.Assign(icon);
    ASSERT_EQ(image.Images().Count(), 1);
    TGIFSubImage& frame = *image.Images().Items(0);
    ASSERT_EQ(frame.Width(), 20);
    EXPECT_EQ(frame.GraphicControlExtension != nullptr, GetParam().transparent);
    const int transparent =
        frame.GraphicControlExtension ? frame.GraphicControlExtension->GetTransparentColorIndex() : -1;
    if (GetParam().transparent) {
        EXPECT_EQ(transparent, frame.ColorMap().Count() - 1);
        EXPECT_EQ(frame.ColorMap()[transparent], (TGIFColor{0, 0, 0}));
    }
    const QImage shown = FramePixels(frame);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool masked = qAlpha(pixels.pixel(x, y)) == 0;
            EXPECT_EQ(frame.GetPixel(x, y) == transparent, masked && GetParam().transparent) << x << "," << y;
            if (!masked) {
                EXPECT_EQ(shown.pixel(x, y), pixels.pixel(x, y)) << x << "," << y;
            }
        }
}

INSTANTIATE_TEST_SUITE_P(Masks, IconToFrame,
                         ::testing::Values(TIconCase{"FewColours", 20, true},
                                           TIconCase{"RoomForOneMore", 255, true},
                                           TIconCase{"FullMap", 256, false}),
                         [](const auto& info) { return info.param.name; });

TEST_F(GIFBinding, OtherGraphicsArePassedThroughABitmapAndOtherObjectsAreRefused) {
    TJPEGImage jpeg;
    QBuffer buffer;
    buffer.setData(test::JPEGBytes(test::ColourfulImage(30, 20)));
    buffer.open(QIODevice::ReadOnly);
    jpeg.LoadFromStream(buffer);
    TGIFImage image;
    image.Assign(jpeg);
    ASSERT_EQ(image.Images().Count(), 1);
    EXPECT_EQ(image.GetWidth(), 30);

    TPicture picture;
    picture.Assign(jpeg);
    TGIFImage fromPicture;
    auto frame = std::make_unique<TGIFSubImage>(&fromPicture);
    frame->Assign(picture);
    EXPECT_EQ(frame->Height(), 20);

    TGIFColorMap& notAGraphic = image.ColorMap();
    EXPECT_THROW(fromPicture.Assign(notAGraphic), EConvertError);
}

TEST_F(GIFBinding, AnotherGIFImageIsCopiedWithFramesDelaysExtensionsAndPriorityButNotTheSpeed) {
    const QByteArray bytes = GifBytes()
                                 .header(3, 2, 4)
                                 .raw({0x21, 0xFF, 11})
                                 .text("NETSCAPE2.0")
                                 .raw({3, 1, 5, 0, 0})
                                 .gce(0x05, 7, 3)
                                 .frame(3, 2, {0, 1, 2, 3, 3, 0})
                                 .gce(0x08, 25, 0)
                                 .frame(2, 1, {1, 2})
                                 .trailer()
                                 .data();
    auto source = LoadGif(bytes);
    source->image->SetAnimationSpeed(300);
    source->image->ThreadPriority = TThreadPriority::tpLowest;
    TGIFImage copy;
    copy.SetAnimationSpeed(50);
    int progress = 0;
    source->image->OnProgress = [&](TGraphic&, TProgressStage, int, bool, const QRect&,
                                    const std::string& text) {
        EXPECT_EQ(text, "Copying...");
        ++progress;
    };
    copy.Assign(*source->image);
    source->image->OnProgress = nullptr;
    EXPECT_EQ(copy.Images().Count(), 2);
    EXPECT_EQ(copy.AnimationSpeed(), 50);
    EXPECT_EQ(copy.ThreadPriority, TThreadPriority::tpLowest);
    EXPECT_EQ(progress, 4); // start, two frames, end
    EXPECT_FALSE(copy.OnProgress);
    for (int i = 0; i < 2; ++i) {
        TGIFSubImage& a = *source->image->Images().Items(i);
        TGIFSubImage& b = *copy.Images().Items(i);
        ASSERT_NE(b.GraphicControlExtension, nullptr);
        EXPECT_EQ(b.GraphicControlExtension->GetDelay(), a.GraphicControlExtension->GetDelay());
        EXPECT_EQ(b.Extensions().Count(), a.Extensions().Count());
        EXPECT_EQ(b.Data(), a.Data());
    }
    EXPECT_EQ(SaveGif(copy), SaveGif(*source->image));
}

TEST_F(GIFBinding, FormDataIsTheClassNameThenTheStreamOptimizedOnlyWhenAskedTo) {
    const QByteArray bytes = GifBytes().header(4, 1, 256).frame(4, 1, {0, 1, 0, 1}, 8).trailer().data();
    TPicture picture;
    picture.SetGraphic(std::move(LoadGif(bytes)->image));
    const auto written = [&] {
        QBuffer stream;
        stream.open(QIODevice::WriteOnly);
        picture.WriteData(stream);
        return stream.data();
    };
    const QByteArray plain = written();
    EXPECT_EQ(plain, QByteArray("\x09TGIFImage") + SaveGif(dynamic_cast<TGIFImage&>(*picture.Graphic())));
    GIFImageOptimizeOnStream = true;
    const QByteArray optimized = written();
    GIFImageOptimizeOnStream = false;
    EXPECT_LT(optimized.size(), plain.size()); // the 254 unused colours are gone

    QBuffer stream;
    stream.setData(optimized);
    stream.open(QIODevice::ReadOnly);
    TPicture back;
    back.ReadData(stream);
    auto& image = dynamic_cast<TGIFImage&>(*back.Graphic());
    TGIFSubImage& frame = *image.Images().Items(0);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(frame.GetActiveColorMap()[frame.GetPixel(x, 0)],
                  (TGIFColor{static_cast<std::uint8_t>(x % 2), static_cast<std::uint8_t>(x % 2),
                             static_cast<std::uint8_t>(x % 2)}));
}

TEST_F(GIFBinding, ClipboardCarriesTheGIFStreamAndRefusesOtherFormats) {
    auto source = LoadGif(GifBytes().header(3, 1, 4).frame(3, 1, {0, 1, 2}).trailer().data());
    QMimeData data;
    source->image->SaveToClipboardFormat(data);
    ASSERT_TRUE(data.hasFormat("image/gif"));
    TPicture pasted;
    pasted.LoadFromClipboard(data);
    ASSERT_NE(pasted.Graphic(), nullptr);
    EXPECT_EQ(SaveGif(dynamic_cast<TGIFImage&>(*pasted.Graphic())), SaveGif(*source->image));

    TGIFImage image;
    QMimeData text;
    text.setText("not a picture");
    EXPECT_EQ(test::ErrorOf([&] { image.LoadFromClipboardFormat(text, "text/plain"); }),
              "Unsupported clipboard format");
    EXPECT_EQ(test::ErrorOf([&] { image.LoadFromClipboardFormat(text, "image/gif"); }),
              "Unsupported clipboard format");
    QMimeData bitmap;
    bitmap.setImageData(test::ColourfulImage(5, 4));
    image.LoadFromClipboardFormat(bitmap, "application/x-qt-image");
    EXPECT_EQ(image.GetWidth(), 5);
}

TEST_F(GIFBinding, ABitmapTakesTheImagesOrTheFramesOwnBitmapAndTheClipboardOffersItBesideTheStream) {
    auto source = LoadGif(GifBytes().header(3, 1, 4).frame(3, 1, {0, 1, 2}).trailer().data());
    TGIFImage& image = *source->image;
    TGIFSubImage& frame = *image.Images().Items(0);
    TBitmap fromImage;
    fromImage.Assign(image);
    EXPECT_EQ(fromImage.Image(), image.GetBitmap()->Image());
    TBitmap fromFrame;
    fromFrame.Assign(frame);
    EXPECT_EQ(fromFrame.Image(), frame.GetBitmap()->Image());

    QMimeData data;
    image.SaveToClipboardFormat(data);
    ASSERT_TRUE(data.hasImage());
    EXPECT_EQ(qvariant_cast<QImage>(data.imageData()), image.GetBitmap()->Image());
    TGIFImage empty;
    QMimeData none;
    empty.SaveToClipboardFormat(none);
    EXPECT_TRUE(none.formats().isEmpty());
}

} // namespace
} // namespace qm
