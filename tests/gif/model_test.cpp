// The document model: a new image, screen and frame geometry with their warnings, pixel access,
// version and colour depth rules, the header's packed fields and the image settings.
#include "gif/gif_exception.h"
#include "gif/gif_extensions.h"
#include "gif/gif_image.h"
#include "tests/gif/gif_test_util.h"
#include "tests/support/gif_frames.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

using test::AddFrame;
using test::ErrorOf;

TEST(NewImage, IsEmptyUnknownAndDithersOnlyOnPaletteScreens) {
    TGIFImage image;
    EXPECT_TRUE(image.GetEmpty());
    EXPECT_EQ(image.Version(), TGIFVersion::gvUnknown);
    EXPECT_EQ(image.GetWidth(), 0);
    EXPECT_EQ(image.GetHeight(), 0);
    EXPECT_EQ(image.GetDoDither(), DoAutoDither);
    EXPECT_EQ(image.DrawOptions().Value(), 0x060F);
    EXPECT_EQ(image.DrawBackgroundColor, 0x1FFFFFFFu);
    EXPECT_EQ(image.ColorReduction, TColorReduction::rmNetscape);
    image.SetDrawOptions(TGIFDrawOptions{TGIFDrawOption::goDither});
    EXPECT_TRUE(image.GetDoDither());
    image.SetDrawOptions(TGIFDrawOptions{});
    EXPECT_FALSE(image.GetDoDither());
}

TEST(ScreenSize, CannotShrinkBelowAFrame) {
    TGIFImage image;
    AddFrame(image, 20, 10, {}, 10, 5);
    EXPECT_EQ(image.GetWidth(), 30);
    EXPECT_EQ(image.GetHeight(), 15);
    EXPECT_EQ(ErrorOf([&] { image.SetWidth(29); }), "Image width too small for contained frames");
    EXPECT_EQ(ErrorOf([&] { image.SetHeight(14); }), "Image height too small for contained frames");
    EXPECT_EQ(image.GetWidth(), 30);
    EXPECT_EQ(image.GetHeight(), 15);
    image.SetWidth(40);
    EXPECT_EQ(image.GetWidth(), 40);
}

TEST(FrameBounds, GrowingAnEmptyScreenIsSilent_GrowingASetScreenWarnsTwice) {
    TGIFImage image;
    test::WarningLog log;
    log.attach(image);
    TGIFSubImage& frame = AddFrame(image, 8, 8, {}, 0, 0);
    EXPECT_TRUE(log.messages.empty());
    frame.SetBounds(1, 4); // left 4: right edge 12 beyond the screen's 8
    EXPECT_EQ(image.GetWidth(), 12);
    EXPECT_EQ(log.messages, (std::vector<std::string>{"Image width too small for contained frames",
                                                      "Image exceeds Logical Screen size"}));
}

TEST(FrameBounds, SizeChangeReallocatesZeroedPixels_MoveKeepsThem) {
    TGIFImage image;
    TGIFSubImage& frame = AddFrame(image, 4, 2, {}, 0, 0);
    ASSERT_EQ(frame.DataSize(), 8u);
    frame.Data()[3] = 9;
    frame.SetBounds(2, 1); // top only
    EXPECT_EQ(frame.Data()[3], 9);
    frame.SetBounds(3, 5); // width
    EXPECT_EQ(frame.DataSize(), 10u);
    EXPECT_EQ(frame.Data(), std::vector<std::uint8_t>(10, 0));
    frame.SetBoundsRect(QRect(QPoint(1, 1), QPoint(3, 2)));
    EXPECT_EQ(frame.GetBoundsRect(), QRect(QPoint(1, 1), QPoint(4, 3)));
    EXPECT_EQ(frame.Width(), 3);
    EXPECT_EQ(frame.Height(), 2);
}

TEST(FrameBounds, BoundsBeyondSixteenBitsAreRefusedBeforeTheFrameChanges) {
    TGIFImage image;
    TGIFSubImage& frame = AddFrame(image, 3, 4, {}, 1, 2);
    frame.Data()[0] = 5;
    EXPECT_EQ(ErrorOf([&] { frame.SetBounds(3, 65536); }), "Invalid image dimensions");
    EXPECT_EQ(ErrorOf([&] { frame.SetBounds(1, -1); }), "Invalid image dimensions");
    EXPECT_EQ(ErrorOf([&] { frame.SetBoundsRect(QRect(0, 0, 70000, 1)); }), "Invalid image dimensions");
    EXPECT_EQ(frame.GetBoundsRect(), QRect(QPoint(1, 2), QPoint(4, 6)));
    EXPECT_EQ(frame.Data()[0], 5);
    EXPECT_EQ(image.GetWidth(), 4);
}

TEST(FrameBounds, AFrameTooLargeToHoldIsRefusedClearly) {
    TGIFImage image;
    TGIFSubImage& frame = AddFrame(image, 1, 1, {}, 0, 0);
    EXPECT_EQ(ErrorOf([&] { frame.DoSetBounds(0, 0, 65535, 65535); }), sFrameTooLarge);
}

TEST(FramePixels, CoordinatesAreChecked) {
    TGIFImage image;
    TGIFSubImage& frame = AddFrame(image, 3, 2, {}, 0, 0);
    frame.GetScanline(1)[2] = 7;
    EXPECT_EQ(frame.GetPixel(2, 1), 7);
    EXPECT_EQ(ErrorOf([&] { frame.GetScanline(2); }), "Invalid pixel coordinates");
    EXPECT_EQ(ErrorOf([&] { frame.GetScanline(-1); }), "Invalid pixel coordinates");
    EXPECT_EQ(ErrorOf([&] { frame.GetPixel(3, 0); }), "Invalid pixel coordinates");
    EXPECT_FALSE(frame.GetEmpty());
    frame.FreeImage();
    EXPECT_TRUE(frame.GetEmpty());
    EXPECT_EQ(frame.GetPixel(0, 0), 0) << "a missing buffer is allocated on demand";

    TGIFSubImage blank(&image);
    EXPECT_EQ(ErrorOf([&] { blank.NeedImage(); }), "Image is empty");
}

TEST(Versions, ExtensionsAndSortedMapsNeed89a_HeaderDoesNotCount) {
    TGIFImage image;
    TGIFSubImage& frame = AddFrame(image, 1, 1, {}, 0, 0);
    EXPECT_EQ(image.Version(), TGIFVersion::gv87a);
    image.Header().SetAspectRatio(49);
    EXPECT_EQ(image.Header().GetVersion(), TGIFVersion::gv89a);
    EXPECT_EQ(image.Version(), TGIFVersion::gv87a);
    frame.ColorMap().Add(0);
    frame.ColorMap().SetOptimized(true);
    EXPECT_EQ(image.Version(), TGIFVersion::gv89a);
    frame.ColorMap().SetOptimized(false);
    frame.Extensions().Add(std::make_unique<TGIFCommentExtension>(&frame));
    EXPECT_EQ(frame.GetVersion(), TGIFVersion::gv89a);
    EXPECT_EQ(image.Version(), TGIFVersion::gv89a);
}

TEST(ColourDepth, IsTheDeepestOfHeaderAndFrames) {
    TGIFImage image;
    for (int i = 0; i < 3; ++i)
        image.ColorMap().Add(static_cast<TColor>(i));
    TGIFSubImage& frame = AddFrame(image, 1, 1, {}, 0, 0);
    EXPECT_EQ(image.BitsPerPixel(), 2);
    for (int i = 0; i < 20; ++i)
        frame.ColorMap().Add(static_cast<TColor>(i));
    EXPECT_EQ(image.BitsPerPixel(), 5);
    EXPECT_EQ(image.ColorResolution(), 4);
    EXPECT_EQ(frame.GetActiveColorMap().Count(), 20);
}

TEST(HeaderPackedFields, FollowTheColourMaps) {
    TGIFImage image;
    TGIFSubImage& frame = AddFrame(image, 1, 1, {}, 0, 0);
    for (int i = 0; i < 5; ++i)
        image.ColorMap().Add(static_cast<TColor>(i));
    image.Header().Prepare();
    EXPECT_EQ(image.Header().PackedFields(), 0x80 | (2 << 4) | 2);
    image.ColorMap().SetOptimized(true);
    for (int i = 0; i < 100; ++i)
        frame.ColorMap().Add(static_cast<TColor>(i));
    image.Header().Prepare();
    EXPECT_EQ(image.Header().PackedFields(), 0x80 | 0x08 | (6 << 4) | 2);
    image.ColorMap().Clear();
    image.Header().Prepare();
    EXPECT_EQ(image.Header().PackedFields(), (6 << 4) | 6)
        << "without a global table the size follows the frames";
}

TEST(HeaderBackground, OutOfRangeIndexWarnsAndBecomesZero_ColourIsAddedWhenMissing) {
    TGIFImage image;
    test::WarningLog log;
    log.attach(image);
    image.SetBackgroundColorIndex(9); // empty map: nothing to check against
    EXPECT_EQ(image.BackgroundColorIndex(), 9);
    image.ColorMap().Add(0x111111);
    image.SetBackgroundColorIndex(1);
    EXPECT_EQ(image.BackgroundColorIndex(), 0);
    EXPECT_EQ(log.messages, std::vector<std::string>{"Invalid color index"});
    image.SetBackgroundColor(0x222222);
    EXPECT_EQ(image.BackgroundColorIndex(), 1);
    EXPECT_EQ(image.BackgroundColor(), 0x222222u);
}

TEST(ImageSettings, ReductionBitsAndAnimationSpeedAreBounded) {
    TGIFImage image;
    EXPECT_EQ(ErrorOf([&] { image.SetReductionBits(2); }), "Invalid Bits Per Pixel value");
    EXPECT_EQ(ErrorOf([&] { image.SetReductionBits(9); }), "Invalid Bits Per Pixel value");
    image.SetReductionBits(3);
    EXPECT_EQ(image.ReductionBits(), 3);
    image.SetAnimationSpeed(5000);
    EXPECT_EQ(image.AnimationSpeed(), 1000);
    image.SetAnimationSpeed(-4);
    EXPECT_EQ(image.AnimationSpeed(), 0);
}

TEST(ImageAdd, TakesFramesOverAndRefusesOtherObjects) {
    TGIFImage image;
    int changes = 0;
    image.OnChange = [&](TGraphic&) { ++changes; };
    EXPECT_EQ(image.Add(std::make_unique<TGIFSubImage>(&image)), 0);
    EXPECT_EQ(image.Add(std::make_unique<TGIFSubImage>(&image)), 1);
    EXPECT_EQ(changes, 2);
    TGIFLocalColorMap notAGraphic(nullptr);
    EXPECT_EQ(ErrorOf([&] { image.Add(notAGraphic); }), "Object type not supported for operation");
    EXPECT_EQ(image.Images().Count(), 2);
}

TEST(ImagePack, MovesASingleFramesColoursIntoTheEmptyGlobalMap) {
    TGIFImage image;
    TGIFSubImage& frame = AddFrame(image, 1, 1, {}, 0, 0);
    frame.ColorMap().Add(0xABCDEF);
    image.Pack();
    EXPECT_EQ(image.ColorMap().Count(), 1);
    EXPECT_EQ(image.ColorMap().GetColor(0), 0xABCDEFu);
    EXPECT_EQ(frame.ColorMap().Count(), 0);
    EXPECT_EQ(&frame.GetActiveColorMap(), &image.ColorMap());

    AddFrame(image, 1, 1, {}, 0, 0).ColorMap().Add(1);
    image.Pack();
    EXPECT_EQ(image.Images().Items(1)->ColorMap().Count(), 1) << "two frames keep their maps";
}

TEST(ImageClear, DropsFramesColoursAndScreen) {
    TGIFImage image;
    AddFrame(image, 5, 5, {}, 0, 0);
    image.ColorMap().Add(1);
    image.Clear();
    EXPECT_TRUE(image.GetEmpty());
    EXPECT_EQ(image.GetWidth(), 0);
    EXPECT_EQ(image.ColorMap().Count(), 0);
}

TEST(Transparency, FollowsTheGraphicControlExtensionAndIsClearedWithIt) {
    TGIFImage image;
    TGIFSubImage& frame = AddFrame(image, 1, 1, {}, 0, 0);
    EXPECT_FALSE(image.IsTransparent());
    auto owned = std::make_unique<TGIFGraphicControlExtension>(&frame);
    TGIFGraphicControlExtension* gce = owned.get();
    frame.Extensions().Add(std::move(owned));
    gce->SetTransparent(true);
    EXPECT_TRUE(frame.Transparent);
    EXPECT_TRUE(image.IsTransparent());
    frame.Extensions().Delete(0);
    EXPECT_FALSE(frame.Transparent);
    EXPECT_EQ(frame.GraphicControlExtension, nullptr);
    EXPECT_FALSE(image.IsTransparent());
}

TEST(ItemLists, ReorderRemoveAndFree) {
    TGIFImage image;
    std::vector<TGIFSubImage*> frames;
    for (int i = 0; i < 3; ++i)
        frames.push_back(&AddFrame(image, i + 1, 1, {}, 0, 0));
    TGIFImageList& list = image.Images();
    list.Exchange(0, 2);
    EXPECT_EQ(list.First(), frames[2]);
    list.Move(0, 2);
    EXPECT_EQ(list.Last(), frames[2]);
    EXPECT_EQ(list.IndexOf(frames[0]), 1);
    auto removed = list.Remove(frames[1]);
    EXPECT_EQ(removed.get(), frames[1]);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Remove(frames[1]), nullptr);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

} // namespace
} // namespace qm
