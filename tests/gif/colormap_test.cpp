// Color maps: capacity, adding and finding colours, the stream layout, imports and exports,
// and the optimisation that sorts entries by use.
#include "gif/gif_colormap.h"
#include "gif/gif_exception.h"
#include "gif/gif_extensions.h"
#include "gif/gif_image.h"
#include "tests/gif/gif_test_util.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::ErrorOf;

TColor Grey(int v) {
    return static_cast<TColor>(v | (v << 8) | (v << 16));
}

void Fill(TGIFColorMap& map, int count) {
    for (int i = 0; i < count; ++i)
        map.Add(Grey(i));
}

TEST(ColorMapCapacity, GrowsInSteps_AndStopsAt256) {
    TGIFLocalColorMap map(nullptr);
    map.Add(Grey(1));
    EXPECT_EQ(map.Capacity(), 16);
    Fill(map, 16);
    EXPECT_EQ(map.Count(), 17);
    EXPECT_EQ(map.Capacity(), 32);
    Fill(map, 183);
    EXPECT_EQ(map.Count(), 200);
    EXPECT_EQ(map.Capacity(), 224);
    Fill(map, 56);
    EXPECT_EQ(map.Capacity(), 256);
    map.SetCapacity(10);
    EXPECT_EQ(map.Capacity(), 256) << "capacity never shrinks";
}

TEST(ColorMapCapacity, The257thColourOverflows_AndLeavesTheMap) {
    TGIFLocalColorMap map(nullptr);
    Fill(map, 256);
    EXPECT_EQ(ErrorOf([&] { map.Add(Grey(7)); }), "Color table overflow");
    EXPECT_EQ(map.Count(), 256);
}

class BitsPerPixel : public testing::TestWithParam<std::pair<int, int>> {};

TEST_P(BitsPerPixel, IsTheSmallestTableThatHoldsTheCount) {
    TGIFLocalColorMap map(nullptr);
    Fill(map, GetParam().first);
    EXPECT_EQ(map.GetBitsPerPixel(), GetParam().second);
    // The table written to a stream has exactly 2^bits entries.
    const int expectedBytes = GetParam().first == 0 ? 0 : 3 << GetParam().second;
    EXPECT_EQ(test::SavedBytes(map).size(), expectedBytes);
}

INSTANTIATE_TEST_SUITE_P(Counts, BitsPerPixel,
                         testing::Values(std::pair{0, 0}, std::pair{1, 1}, std::pair{2, 1}, std::pair{3, 2},
                                         std::pair{4, 2}, std::pair{5, 3}, std::pair{128, 7},
                                         std::pair{129, 8}, std::pair{256, 8}));

TEST(ColorMapStream, PadsWithBlack_AndReadsPaddingBackAsEntries) {
    TGIFLocalColorMap map(nullptr);
    map.Add(0x0000FF);
    map.Add(0x00FF00);
    map.Add(0xFF0000);
    const QByteArray bytes = test::SavedBytes(map);
    ASSERT_EQ(bytes.size(), 12);
    EXPECT_EQ(bytes.left(9), QByteArray("\xFF\0\0\0\xFF\0\0\0\xFF", 9));
    EXPECT_EQ(bytes.mid(9), QByteArray(3, '\0'));

    QBuffer in;
    in.setData(bytes);
    in.open(QIODevice::ReadOnly);
    TGIFLocalColorMap loaded(nullptr);
    loaded.LoadFromStream(in, 4);
    EXPECT_EQ(loaded.Count(), 4);
    EXPECT_EQ(loaded.GetColor(2), 0xFF0000u);
    EXPECT_EQ(loaded.GetColor(3), 0u);
}

TEST(ColorMapStream, ShortStreamRaises_AndLeavesNoEntries) {
    QBuffer in;
    in.setData(QByteArray(7, 'x'));
    in.open(QIODevice::ReadOnly);
    TGIFLocalColorMap map(nullptr);
    map.Add(Grey(3));
    EXPECT_THROW(map.LoadFromStream(in, 4), EInvalidGraphic);
    EXPECT_EQ(map.Count(), 0);
}

TEST(ColorMapLookup, EqualEntriesResolveByOptimisation) {
    TGIFLocalColorMap map(nullptr);
    for (const int v : {10, 20, 99, 30, 40, 99})
        map.Add(Grey(v));
    EXPECT_EQ(map.IndexOf(Grey(99)), 5);
    map.SetOptimized(true);
    EXPECT_EQ(map.IndexOf(Grey(99)), 2);
    EXPECT_EQ(map.IndexOf(Grey(98)), -1);
    EXPECT_EQ(map.AddUnique(Grey(99)), 2);
    EXPECT_EQ(map.AddUnique(Grey(98)), 6);
    EXPECT_FALSE(map.Optimized()) << "adding a colour ends the sorted state";
}

TEST(ColorMapLookup, BadIndexWarnsThenFallsBackToEntryZero_OrRaisesWhenEmpty) {
    TGIFImage image;
    test::WarningLog log;
    log.attach(image);
    TGIFColorMap& map = image.ColorMap();
    EXPECT_EQ(ErrorOf([&] { map.GetColor(0); }), "Color table is empty");
    map.Add(0x123456);
    map.Add(0x654321);
    EXPECT_EQ(map.GetColor(300), 0x123456u);
    EXPECT_EQ(log.messages, (std::vector<std::string>{"Invalid color index", "Invalid color index"}));
}

TEST(ColorMapEdits, DeleteAndSetColorCheckTheIndex) {
    TGIFLocalColorMap map(nullptr);
    Fill(map, 4);
    EXPECT_EQ(ErrorOf([&] { map.Delete(4); }), "Invalid color index");
    EXPECT_EQ(ErrorOf([&] { map.SetColor(-1, 0); }), "Invalid color index");
    map.SetOptimized(true);
    map.Delete(1);
    EXPECT_FALSE(map.Optimized());
    ASSERT_EQ(map.Count(), 3);
    EXPECT_EQ(map.GetColor(1), Grey(2));
    map.SetColor(2, 0xABCDEF);
    EXPECT_EQ(map.GetColor(2), 0xABCDEFu);
}

TEST(ColorMapConversion, IgnoresTheTopByte) {
    const TGIFColor c = TGIFColorMap::Color2RGB(0x80332211);
    EXPECT_EQ(c, (TGIFColor{0x11, 0x22, 0x33}));
    EXPECT_EQ(TGIFColorMap::RGB2Color(c), 0x332211u);
}

TEST(ColorMapImport, PaletteTableAndIndexedPicture) {
    TGIFLocalColorMap map(nullptr);
    map.ImportPalette(TPalette({{1, 2, 3, 0}, {4, 5, 6, 0}}));
    EXPECT_EQ(map.Count(), 2);
    EXPECT_EQ(map.GetColor(1), 0x060504u);

    const std::uint8_t table[] = {30, 20, 10, 0, 60, 50, 40, 0, 90, 80, 70, 0};
    map.ImportColorTable(table, 3);
    ASSERT_EQ(map.Count(), 3);
    EXPECT_EQ(map[2], (TGIFColor{70, 80, 90}));

    QImage picture(2, 2, QImage::Format_Indexed8);
    picture.setColorTable({qRgb(1, 2, 3), qRgb(200, 100, 50)});
    map.ImportDIBColors(picture);
    ASSERT_EQ(map.Count(), 2);
    EXPECT_EQ(map[1], (TGIFColor{200, 100, 50}));

    map.ImportPalette(TPalette());
    EXPECT_EQ(map.Count(), 0);
    EXPECT_FALSE(map.ExportPalette().has_value());
}

TEST(ColorMapExport, MarksEveryEntryNoCollapse) {
    TGIFLocalColorMap map(nullptr);
    map.Add(0x030201);
    const auto palette = map.ExportPalette();
    ASSERT_TRUE(palette.has_value());
    ASSERT_EQ(palette->Count(), 1);
    EXPECT_EQ((*palette)[0], (TPaletteEntry{1, 2, 3, PC_NOCOLLAPSE}));
}

TEST(ColorMapAssign, CopiesEntriesCapacityAndSortState_AndRefusesOtherSources) {
    TGIFLocalColorMap source(nullptr);
    Fill(source, 20);
    source.SetOptimized(true);
    TGIFLocalColorMap copy(nullptr);
    copy.Assign(source);
    EXPECT_EQ(copy.Count(), 20);
    EXPECT_EQ(copy.Capacity(), 32);
    EXPECT_TRUE(copy.Optimized());
    EXPECT_EQ(copy.GetColor(19), Grey(19));
    TGIFImage image;
    EXPECT_THROW(copy.Assign(image), EConvertError);
}

// --- optimisation, on a one-frame image whose local map serves the frame ---

struct OptimiseFixture : testing::Test {
    TGIFImage image;
    TGIFSubImage* frame = nullptr;

    void SetUpFrame(int colours, const std::vector<std::uint8_t>& pixels) {
        auto owned = std::make_unique<TGIFSubImage>(&image);
        frame = owned.get();
        image.Add(std::move(owned));
        frame->DoSetBounds(0, 0, static_cast<int>(pixels.size()), 1);
        frame->Data() = pixels;
        Fill(frame->ColorMap(), colours);
    }
};

TEST_F(OptimiseFixture, AlreadySortedMapOnlyBecomesOptimised) {
    SetUpFrame(3, {0, 0, 0, 1, 1, 2});
    EXPECT_TRUE(frame->ColorMap().Optimize());
    EXPECT_TRUE(frame->ColorMap().Optimized());
    EXPECT_EQ(frame->ColorMap().Count(), 3);
    EXPECT_EQ(frame->Data(), (std::vector<std::uint8_t>{0, 0, 0, 1, 1, 2}));
}

TEST_F(OptimiseFixture, EqualCountsFollowTheQuicksortAndUnusedEntriesFallOff) {
    SetUpFrame(3, {0, 0, 0, 0, 0});
    EXPECT_TRUE(frame->ColorMap().Optimize());
    EXPECT_EQ(frame->ColorMap().Count(), 1);
    EXPECT_EQ(frame->ColorMap().GetColor(0), Grey(0));
}

TEST_F(OptimiseFixture, MostUsedColourComesFirst_AndPixelsFollow) {
    SetUpFrame(4, {3, 1, 3, 3, 1, 3});
    EXPECT_TRUE(frame->ColorMap().Optimize());
    ASSERT_EQ(frame->ColorMap().Count(), 2);
    EXPECT_EQ(frame->ColorMap().GetColor(0), Grey(3));
    EXPECT_EQ(frame->ColorMap().GetColor(1), Grey(1));
    EXPECT_EQ(frame->Data(), (std::vector<std::uint8_t>{0, 1, 0, 0, 1, 0}));
}

TEST_F(OptimiseFixture, TransparentIndexFollowsItsColour) {
    SetUpFrame(4, {2, 2, 2, 0});
    auto gce = std::make_unique<TGIFGraphicControlExtension>(frame);
    gce->SetTransparent(true);
    gce->SetTransparentColorIndex(0);
    frame->Extensions().Add(std::move(gce));
    frame->ColorMap().Optimize();
    EXPECT_EQ(frame->Data(), (std::vector<std::uint8_t>{0, 0, 0, 1}));
    EXPECT_EQ(frame->GraphicControlExtension->GetTransparentColorIndex(), 1);
}

TEST_F(OptimiseFixture, SingleEntryMapIsLeftAlone) {
    SetUpFrame(1, {0, 0});
    EXPECT_FALSE(frame->ColorMap().Optimize());
    EXPECT_FALSE(frame->ColorMap().Optimized());
}

TEST(GlobalColorMapOptimise, ServesOnlyFramesWithoutTheirOwnColours_AndNeedsFrames) {
    TGIFImage image;
    Fill(image.ColorMap(), 3);
    EXPECT_FALSE(image.ColorMap().Optimize()) << "no frames";
    for (int i = 0; i < 2; ++i)
        image.Add(std::make_unique<TGIFSubImage>(&image));
    TGIFSubImage& plain = *image.Images().Items(0);
    TGIFSubImage& own = *image.Images().Items(1);
    plain.DoSetBounds(0, 0, 3, 1);
    plain.Data() = {2, 2, 1};
    own.DoSetBounds(0, 0, 3, 1);
    own.Data() = {0, 1, 2};
    Fill(own.ColorMap(), 3);
    EXPECT_TRUE(image.ColorMap().Optimize());
    EXPECT_EQ(plain.Data(), (std::vector<std::uint8_t>{0, 0, 1}));
    EXPECT_EQ(own.Data(), (std::vector<std::uint8_t>{0, 1, 2})) << "a frame with its own map is not touched";
    EXPECT_EQ(image.ColorMap().Count(), 2);
}

} // namespace
} // namespace qm
