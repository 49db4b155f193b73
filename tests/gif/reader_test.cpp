// Reading: signature and header rules, block structure, tolerated oddities (warnings) and
// unreadable data (errors), pixel placement, and the limits that keep hostile files harmless.
#include "gif/gif_exception.h"
#include "gif/gif_extensions.h"
#include "gif/gif_image.h"
#include "tests/gif/gif_builder.h"
#include "tests/gif/gif_test_util.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::ErrorOf;
using test::GifBytes;
using test::LoadGif;
using Pixels = std::vector<std::uint8_t>;
using Messages = std::vector<std::string>;

const Pixels kFour = {0, 1, 2, 3};

// A minimal well-formed two by two picture with a four-colour global table.
GifBytes TwoByTwo() {
    return GifBytes().header(2, 2, 4).frame(2, 2, kFour);
}

TEST(ReaderSignature, AcceptsLowerCaseAnyVersionAndAFourBytePrefix) {
    for (const QByteArray& bytes :
         {TwoByTwo().trailer().data(), GifBytes().raw({1, 2, 3, 4}).data() + TwoByTwo().trailer().data(),
          GifBytes().text("gif").text("xyz").data() + TwoByTwo().trailer().data().mid(6)}) {
        auto loaded = LoadGif(bytes);
        ASSERT_EQ(loaded->image->Images().Count(), 1);
        EXPECT_EQ(loaded->image->Images().Items(0)->Data(), kFour);
        EXPECT_TRUE(loaded->warnings.messages.empty());
    }
}

TEST(ReaderSignature, AnythingElseIsRefused_AndTheStreamGoesBack) {
    QBuffer buffer;
    buffer.setData(GifBytes().raw({0, 0}).text("JIF89a").raw(std::vector<std::uint8_t>(20, 0)).data());
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(2);
    TGIFImage image;
    EXPECT_EQ(ErrorOf([&] { image.LoadFromStream(buffer); }), "Invalid GIF signature");
    EXPECT_EQ(buffer.pos(), 2);
}

TEST(ReaderSignature, TruncatedHeaderIsPrematureEnd) {
    EXPECT_EQ(ErrorOf([] { LoadGif(GifBytes().text("GIF89a").u16(1).data()); }), "Premature end of data");
    EXPECT_EQ(ErrorOf([] { LoadGif(GifBytes().header(1, 1, 4).data().chopped(2)); }),
              "Premature end of data");
}

TEST(ReaderTrailer, MissingOrZeroPaddedIsFine_OtherBytesWarn) {
    EXPECT_TRUE(LoadGif(TwoByTwo().data())->warnings.messages.empty());
    EXPECT_TRUE(LoadGif(TwoByTwo().raw({0}).data())->warnings.messages.empty());
    auto loaded = LoadGif(TwoByTwo().raw({0, 0, 0}).trailer().data());
    EXPECT_TRUE(loaded->warnings.messages.empty()) << "padding between blocks is skipped";
    EXPECT_EQ(LoadGif(TwoByTwo().raw({0x42}).data())->warnings.messages,
              (Messages{"Unknown GIF block type", "Invalid Image trailer"}));
}

TEST(ReaderBlocks, UnknownBlockWarnsAndKeepsTheFramesSoFar) {
    auto loaded = LoadGif(TwoByTwo().raw({0x99}).frame(2, 2, kFour).trailer().data());
    EXPECT_EQ(loaded->image->Images().Count(), 1);
    EXPECT_EQ(loaded->warnings.messages, (Messages{"Unknown GIF block type", "Invalid Image trailer"}));
}

TEST(ReaderBlocks, UnregisteredExtensionLabelStopsTheLoad_KeepingEarlierFrames) {
    QBuffer buffer;
    buffer.setData(TwoByTwo().raw({0x21, 0x02, 1, 0, 0}).frame(2, 2, kFour).trailer().data());
    buffer.open(QIODevice::ReadOnly);
    TGIFImage image;
    EXPECT_EQ(ErrorOf([&] { image.LoadFromStream(buffer); }), "Unknown extension type");
    EXPECT_EQ(image.Images().Count(), 1);
    EXPECT_EQ(buffer.pos(), 0);
}

TEST(ReaderBlocks, StrayByteAmongExtensionsWarns) {
    // The stray byte then stands where the image separator would.
    auto loaded = LoadGif(GifBytes()
                              .header(1, 1, 4)
                              .gce(0, 5, 0)
                              .descriptor(0, 0, 1, 1, 0, 0x07)
                              .raw(test::PlainLZW({2}, 2))
                              .data());
    EXPECT_EQ(loaded->warnings.messages, Messages{"Invalid extension introducer"});
    EXPECT_EQ(loaded->image->Images().Items(0)->Data(), Pixels{2});
}

TEST(ReaderBlocks, ExtensionsWithoutAnImageFormAFrameWithoutPixels) {
    auto loaded = LoadGif(TwoByTwo().gce(1, 7, 2).raw({0x21, 0xFE, 2, 'h', 'i', 0}).trailer().data());
    ASSERT_EQ(loaded->image->Images().Count(), 2);
    const TGIFSubImage& last = *loaded->image->Images().Items(1);
    EXPECT_TRUE(last.GetEmpty());
    EXPECT_EQ(last.Extensions().Count(), 2);
    EXPECT_EQ(last.GraphicControlExtension->GetDelay(), 7);
}

TEST(ReaderBlocks, AStrayZeroAfterAnExtensionLeavesItWithTheImageAfterIt) {
    auto loaded = LoadGif(TwoByTwo().gce(0, 50, 0).raw({0x00, 0x00}).frame(2, 2, kFour).trailer().data());
    ASSERT_EQ(loaded->image->Images().Count(), 2) << "no frame of extensions only";
    const TGIFSubImage& second = *loaded->image->Images().Items(1);
    EXPECT_EQ(second.Data(), kFour);
    ASSERT_NE(second.GraphicControlExtension, nullptr);
    EXPECT_EQ(second.GraphicControlExtension->GetDelay(), 50);
}

TEST(ReaderFrames, ZeroSizedFrameTakesTheScreenSizeWithAWarning) {
    auto loaded =
        LoadGif(GifBytes().header(3, 1, 4).descriptor(0, 0, 0, 5).raw(test::PlainLZW({1, 2, 3}, 2)).data());
    const TGIFSubImage& frame = *loaded->image->Images().Items(0);
    EXPECT_EQ(frame.Width(), 3);
    EXPECT_EQ(frame.Height(), 1);
    EXPECT_EQ(frame.Data(), (Pixels{1, 2, 3}));
    EXPECT_EQ(loaded->warnings.messages, Messages{"Image exceeds Logical Screen size"});
}

TEST(ReaderFrames, LocalTableIsReadAndInterlaceFlagKeptAsRead) {
    auto loaded = LoadGif(GifBytes()
                              .header(2, 3, 0)
                              .descriptor(0, 0, 2, 3, 0x80 | 0x40 | 1)
                              .colorTable(4)
                              .raw(test::PlainLZW({0, 0, 2, 2, 1, 1}, 2))
                              .trailer()
                              .data());
    const TGIFSubImage& frame = *loaded->image->Images().Items(0);
    EXPECT_TRUE(frame.Interlaced());
    EXPECT_EQ(frame.ColorMap().Count(), 4);
    // Rows arrive in the order 0, 2, 1.
    EXPECT_EQ(frame.Data(), (Pixels{0, 0, 1, 1, 2, 2}));
}

TEST(ReaderFrames, TruncatedDataKeepsTheTransparentIndexWithWarningsOnly) {
    // Clear and two pixels, no end code, no terminator: the stream just ends.
    std::vector<std::uint8_t> cut = test::PackSizedCodes({{4, 3}, {1, 3}, {1, 3}}, 2);
    cut.pop_back();
    auto loaded = LoadGif(GifBytes().header(3, 2, 4).gce(1, 0, 3).descriptor(0, 0, 3, 2).raw(cut).data());
    const Pixels& data = loaded->image->Images().Items(0)->Data();
    EXPECT_EQ(Pixels(data.begin(), data.begin() + 2), (Pixels{1, 1}));
    EXPECT_EQ(Pixels(data.begin() + 3, data.end()), (Pixels{3, 3, 3})) << "pixels the data never reached";
    for (const auto& message : loaded->warnings.messages)
        EXPECT_TRUE(message == "Decoder bit buffer under-run" || message == "Premature end of data")
            << message;
}

TEST(ReaderFrames, SubBlockCountBeyondTheEndWarnsAndUsesWhatIsThere) {
    std::vector<std::uint8_t> data = test::PlainLZW({1, 2, 3, 0}, 2);
    data[1] = 200; // claims far more than follows
    auto loaded = LoadGif(GifBytes().header(4, 1, 4).descriptor(0, 0, 4, 1).raw(data).data());
    EXPECT_EQ(loaded->image->Images().Items(0)->Data(), (Pixels{1, 2, 3, 0}));
    EXPECT_EQ(loaded->warnings.messages.front(), "Premature end of data");
}

TEST(ReaderErrors, CircularCodeTableIsRefused) {
    // clear, then a first code beyond the table, a code that repeats it and a code that then
    // refers to itself.
    const auto data = test::PackSizedCodes({{4, 3}, {6, 3}, {7, 3}, {6, 3}, {5, 3}}, 2);
    EXPECT_EQ(ErrorOf([&] { LoadGif(GifBytes().header(4, 4, 4).descriptor(0, 0, 4, 4).raw(data).data()); }),
              "Circular decoder table entry");
}

TEST(ReaderErrors, PrefixChainCyclingThroughTwoEntriesIsRefused) {
    // Entry 6 gets prefix 7 and entry 7 prefix 6; a walk from either would never end.
    const auto data = test::PackSizedCodes({{4, 3}, {7, 3}, {6, 3}, {7, 3}, {6, 4}, {5, 4}}, 2);
    EXPECT_EQ(ErrorOf([&] { LoadGif(GifBytes().header(4, 4, 4).descriptor(0, 0, 4, 4).raw(data).data()); }),
              "Circular decoder table entry");
}

TEST(ReaderErrors, MinimumCodeSizeAboveElevenIsRefused) {
    EXPECT_EQ(ErrorOf([] {
                  LoadGif(GifBytes().header(1, 1, 4).descriptor(0, 0, 1, 1).raw({12, 1, 0, 0}).data());
              }),
              sBadCodeSize);
}

// Loads `bytes` with `settings`; errors pass on to the caller.
std::unique_ptr<test::LoadedGif> LoadWith(const QByteArray& bytes, const TGIFReadSettings& settings) {
    auto loaded = std::make_unique<test::LoadedGif>();
    loaded->warnings.attach(*loaded->image);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    loaded->image->LoadFromStream(buffer, settings);
    return loaded;
}

TEST(ReaderLimits, FramesBeyondTheSettingsLimitsAreRefusedClearly) {
    EXPECT_EQ(
        ErrorOf([] {
            LoadGif(GifBytes().header(1, 1, 4).descriptor(0, 0, 65535, 65535).raw({2, 0}).trailer().data());
        }),
        sFrameTooLarge);
    const QByteArray twoFrames = TwoByTwo().frame(2, 2, kFour).trailer().data();
    TGIFReadSettings settings;
    settings.MaximumImagePixels = 6;
    EXPECT_EQ(ErrorOf([&] { LoadWith(twoFrames, settings); }), sFrameTooLarge);
    settings.MaximumImagePixels = 8;
    settings.MaximumFramePixels = 3;
    EXPECT_EQ(ErrorOf([&] { LoadWith(twoFrames, settings); }), sFrameTooLarge);
    EXPECT_EQ(LoadGif(twoFrames)->image->Images().Count(), 2) << "the defaults hold both";
}

TEST(ReaderLimits, FramesMustBePaidForByData) {
    // A screen of 16000 x 16000 in a few dozen bytes is refused before any frame.
    EXPECT_EQ(ErrorOf([&] { LoadGif(GifBytes().header(16000, 16000, 4).trailer().data()); }),
              sScreenExceedsData);
    // Five 4000 x 4000 frames on a screen the data may declare would still take 80 MB.
    GifBytes hostile = GifBytes().header(4000, 4000, 4);
    for (int i = 0; i < 5; ++i)
        hostile.descriptor(0, 0, 4000, 4000).raw({2, 0});
    EXPECT_EQ(ErrorOf([&] { LoadGif(hostile.trailer().data()); }), sFrameExceedsData);

    // A plain 1000 x 500 frame compresses to a few hundred bytes, well inside 4096 pixels a byte.
    TGIFImage plain;
    plain.ColorMap().Add(0);
    plain.ColorMap().Add(0xFFFFFF);
    auto frame = std::make_unique<TGIFSubImage>(&plain);
    frame->DoSetBounds(0, 0, 1000, 500);
    plain.Add(std::move(frame));
    const QByteArray bytes = test::SaveGif(plain);
    TGIFReadSettings dataOnly;
    dataOnly.PixelsWithoutData = 0;
    EXPECT_EQ(LoadWith(bytes, dataOnly)->image->Images().Items(0)->DataSize(), 500000u);
    dataOnly.PixelsPerDataByte = 500000 / static_cast<std::uint64_t>(bytes.size()) - 1;
    EXPECT_EQ(ErrorOf([&] { LoadWith(bytes, dataOnly); }), sFrameExceedsData);
}

TEST(ReaderTolerance, StrictReadingRaisesWhatTolerantReadingWarns) {
    const QByteArray oddTrailer = TwoByTwo().raw({0x42}).data();
    EXPECT_EQ(LoadGif(oddTrailer)->warnings.messages.size(), 2u);
    TGIFReadSettings strict;
    strict.Tolerance = TGIFTolerance::gtStrict;
    EXPECT_EQ(ErrorOf([&] { LoadWith(oddTrailer, strict); }), "Unknown GIF block type");
    auto clean = LoadWith(TwoByTwo().trailer().data(), strict);
    EXPECT_EQ(clean->image->Images().Items(0)->Data(), kFour);
    clean->image->Images().Items(0)->SetBounds(1, 1);
    EXPECT_EQ(clean->warnings.messages.size(), 2u) << "outside a load, warnings stay warnings";
}

TEST(ReaderBlocks, ApplicationBlockLongerThanElevenBytesKeepsItsSubBlocksAndLaterFrames) {
    for (const std::string identifier : {"NETSCAPE2.0", "XMP DataXMP"}) {
        SCOPED_TRACE(identifier);
        const QByteArray bytes = GifBytes()
                                     .header(2, 2, 4)
                                     .raw({0x21, 0xFF, 13})
                                     .text(identifier)
                                     .raw({'x', 'y', 3, 1, 4, 0, 0})
                                     .frame(2, 2, kFour)
                                     .frame(2, 2, {3, 2, 1, 0})
                                     .trailer()
                                     .data();
        for (const QByteArray& file : {bytes, test::SaveGif(*LoadGif(bytes)->image)}) {
            auto loaded = LoadGif(file);
            ASSERT_EQ(loaded->image->Images().Count(), 2);
            EXPECT_EQ(loaded->image->Images().Items(1)->Data(), (Pixels{3, 2, 1, 0}));
            EXPECT_TRUE(loaded->warnings.messages.empty());
            const TGIFExtension* extension = loaded->image->Images().Items(0)->Extensions().Items(0);
            if (const auto* loop = dynamic_cast<const TGIFAppExtNSLoop*>(extension))
                EXPECT_EQ(loop->Loops, 4);
            else
                EXPECT_EQ(dynamic_cast<const TGIFUnknownAppExtension&>(*extension).Blocks().size(), 1u);
        }
    }
}

TEST(ReaderProgress, ReportsStartRunningAndEnd_EndIsZeroOnFailure) {
    for (const bool broken : {false, true}) {
        QByteArray bytes = TwoByTwo().trailer().data();
        if (broken)
            bytes[0] = 'X';
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        TGIFImage image;
        std::vector<std::pair<TProgressStage, int>> calls;
        image.OnProgress = [&](TGraphic&, TProgressStage stage, int percent, bool, const QRect&,
                               const std::string& message) {
            EXPECT_EQ(message, "Loading...");
            calls.emplace_back(stage, percent);
        };
        EXPECT_EQ(ErrorOf([&] { image.LoadFromStream(buffer); }).empty(), !broken);
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls.front(), std::pair(TProgressStage::psStarting, 0));
        EXPECT_EQ(calls.back(), std::pair(TProgressStage::psEnding, broken ? 0 : 100));
        EXPECT_EQ(calls.size(), broken ? 2u : 3u);
    }
}

TEST(ReaderReload, LoadingAgainReplacesEverything) {
    auto loaded = LoadGif(TwoByTwo().frame(2, 2, kFour).trailer().data());
    QBuffer buffer;
    buffer.setData(GifBytes().header(1, 1, 2).frame(1, 1, {1}).trailer().data());
    buffer.open(QIODevice::ReadOnly);
    loaded->image->LoadFromStream(buffer);
    EXPECT_EQ(loaded->image->Images().Count(), 1);
    EXPECT_EQ(loaded->image->ColorMap().Count(), 2);
    EXPECT_EQ(loaded->image->GetWidth(), 1);
}

} // namespace
} // namespace qm
