// Writing: the exact bytes of small cases, the rules of the descriptor's packed fields, refused
// saves, and writer-to-reader round trips of pixels, colour tables and extensions.
#include "gif/gif_exception.h"
#include "gif/gif_extensions.h"
#include "gif/gif_image.h"
#include "tests/gif/gif_builder.h"
#include "tests/gif/gif_test_util.h"
#include "tests/support/failing_buffer.h"
#include "tests/support/gif_frames.h"
#include "tests/support/pixels.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::AddFrame;
using test::ErrorOf;
using test::LoadGif;
using test::MakePixels;
using test::SaveGif;
using test::TPattern;
using Pixels = std::vector<std::uint8_t>;

void AddGreys(TGIFColorMap& map, int count) {
    for (int i = 0; i < count; ++i)
        map.Add(static_cast<TColor>(i * 0x010101));
}

TEST(WriterBytes, OnePixelWithAOneEntryLocalTable) {
    TGIFImage image;
    AddFrame(image, 1, 1, {0}).ColorMap().Add(0x0000FF);
    const QByteArray bytes = SaveGif(image);
    const QByteArray expected = test::GifBytes()
                                    .text("GIF87a")
                                    .u16(1)
                                    .u16(1)
                                    .raw({0x00, 0, 0})
                                    .descriptor(0, 0, 1, 1, 0x80)
                                    .raw({0xFF, 0, 0, 0, 0, 0})
                                    .raw({0x02, 0x02, 0x44, 0x01, 0x00})
                                    .trailer()
                                    .data();
    EXPECT_EQ(bytes.toHex(' '), expected.toHex(' '));
}

TEST(WriterBytes, GlobalTableAndVersionFollowTheModel) {
    TGIFImage image;
    AddGreys(image.ColorMap(), 3);
    AddFrame(image, 2, 1, {2, 1});
    QByteArray bytes = SaveGif(image);
    EXPECT_EQ(bytes.left(6), "GIF87a");
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[10]), 0x80 | (1 << 4) | 1);
    EXPECT_EQ(bytes.mid(13, 12), QByteArray::fromHex("000000010101020202000000"));
    image.Images().Items(0)->Extensions().Add(
        std::make_unique<TGIFCommentExtension>(image.Images().Items(0)));
    EXPECT_EQ(SaveGif(image).left(6), "GIF89a");
}

TEST(WriterBytes, TheImageSeparatorIsWrittenWhateverByteStoodInItsPlace) {
    // A stray byte after the extensions is read in the separator's place.
    const QByteArray odd = test::GifBytes()
                               .header(1, 1, 2)
                               .gce(0, 5, 0)
                               .descriptor(0, 0, 1, 1, 0, 0x07)
                               .raw(test::PlainLZW({1}, 2))
                               .trailer()
                               .data();
    const QByteArray copy = SaveGif(*LoadGif(odd)->image);
    const qsizetype descriptor = 13 + 6 + 8;
    EXPECT_EQ(static_cast<std::uint8_t>(copy[descriptor]), 0x2C);
    auto loaded = LoadGif(copy);
    EXPECT_TRUE(loaded->warnings.messages.empty());
    EXPECT_EQ(loaded->image->Images().Items(0)->Data(), Pixels{1});
}

TEST(WriterRefusals, NoFramesNoVersion_AndPixelsBeyondTheTable) {
    TGIFImage image;
    EXPECT_EQ(ErrorOf([&] { SaveGif(image); }), "Unsupported GIF version");
    TGIFSubImage& frame = AddFrame(image, 3, 1, {0, 1, 2});
    AddGreys(frame.ColorMap(), 2);
    EXPECT_EQ(ErrorOf([&] { SaveGif(image); }), "Color not in color table");
    image.Compression = TGIFCompression::gcRLE;
    EXPECT_EQ(ErrorOf([&] { SaveGif(image); }), "Color not in color table");
}

TEST(WriterRefusals, ABrokenStreamRaises_AndAFailedFileSaveKeepsTheOldFile) {
    TGIFImage image;
    AddGreys(image.ColorMap(), 4);
    AddFrame(image, 64, 64, MakePixels(64, 64, 4, TPattern::ptNoise, 1));
    test::FailingBuffer broken(40);
    broken.open(QIODevice::WriteOnly);
    EXPECT_THROW(image.SaveToStream(broken), EInvalidGraphic);

    QTemporaryDir dir;
    const QString path = dir.filePath("kept.gif");
    image.SaveToFile(path);
    const qint64 size = QFileInfo(path).size();
    image.Images().Items(0)->Data()[0] = 200; // beyond the table: the save fails half-way
    EXPECT_THROW(image.SaveToFile(path), GIFException);
    EXPECT_EQ(QFileInfo(path).size(), size);
}

TEST(WriterFrames, LocalTableClearsTheInterlaceFlag_PixelsStayInPlace) {
    TGIFImage image;
    TGIFSubImage& frame = AddFrame(image, 2, 5, MakePixels(2, 5, 4, TPattern::ptNoise, 2));
    AddGreys(frame.ColorMap(), 4);
    frame.SetInterlaced(true);
    const Pixels pixels = frame.Data();
    auto loaded = LoadGif(SaveGif(image));
    const TGIFSubImage& back = *loaded->image->Images().Items(0);
    EXPECT_FALSE(back.Interlaced());
    EXPECT_FALSE(frame.Interlaced()) << "the saved frame reports what was written";
    EXPECT_EQ(back.Data(), pixels);
}

TEST(WriterFrames, InterlacedFrameWithoutLocalTableStaysInterlaced) {
    TGIFImage image;
    AddGreys(image.ColorMap(), 2);
    TGIFSubImage& frame = AddFrame(image, 3, 2, {0, 0, 0, 1, 1, 1});
    frame.SetInterlaced(true);
    auto loaded = LoadGif(SaveGif(image));
    const TGIFSubImage& back = *loaded->image->Images().Items(0);
    EXPECT_TRUE(back.Interlaced());
    EXPECT_EQ(back.Data(), (Pixels{0, 0, 0, 1, 1, 1}));
}

TEST(WriterProgress, ReportsEveryFrameAndEnds) {
    TGIFImage image;
    AddGreys(image.ColorMap(), 2);
    for (int i = 0; i < 4; ++i)
        AddFrame(image, 1, 1, {0});
    std::vector<int> percents;
    image.OnProgress = [&](TGraphic&, TProgressStage, int percent, bool, const QRect&,
                           const std::string& message) {
        EXPECT_EQ(message, "Saving...");
        percents.push_back(percent);
    };
    SaveGif(image);
    EXPECT_EQ(percents, (std::vector<int>{0, 25, 50, 75, 100, 100}));
}

// --- round trips over sizes, colour counts, interlacing and both encoders ---

struct RoundTripCase {
    int width;
    int height;
    int colours;
    bool interlaced;
    TGIFCompression compression;
};

class WriterRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(WriterRoundTrip, PixelsTablesAndExtensionsComeBack) {
    const RoundTripCase c = GetParam();
    TGIFImage image;
    image.Compression = c.compression;
    AddGreys(image.ColorMap(), c.colours);
    const auto area = static_cast<std::size_t>(c.width) * static_cast<std::size_t>(c.height);
    TGIFSubImage& frame =
        AddFrame(image, c.width, c.height, MakePixels(c.width, c.height, c.colours, TPattern::ptNoise, 7));
    frame.SetInterlaced(c.interlaced);
    auto gce = std::make_unique<TGIFGraphicControlExtension>(&frame);
    gce->SetDelay(12);
    gce->SetDisposal(dmBackground);
    gce->SetTransparent(true);
    gce->SetTransparentColorIndex(c.colours - 1);
    frame.Extensions().Add(std::move(gce));
    auto loop = std::make_unique<TGIFAppExtNSLoop>(&frame);
    loop->Loops = 3;
    frame.Extensions().Add(std::move(loop));
    // A second frame with a run that the run-length encoder must break up.
    TGIFSubImage& flat = AddFrame(image, c.width, c.height, Pixels(area, 1));
    AddGreys(flat.ColorMap(), 2);

    const QByteArray bytes = SaveGif(image);
    auto loaded = LoadGif(bytes);
    EXPECT_TRUE(loaded->warnings.messages.empty());
    TGIFImage& back = *loaded->image;
    ASSERT_EQ(back.Images().Count(), 2);
    EXPECT_EQ(back.ColorMap().Count(), 1 << image.ColorMap().GetBitsPerPixel());
    EXPECT_EQ(back.ColorMap().GetColor(c.colours - 1), image.ColorMap().GetColor(c.colours - 1));
    const TGIFSubImage& first = *back.Images().Items(0);
    EXPECT_EQ(first.Data(), frame.Data());
    EXPECT_EQ(first.Interlaced(), c.interlaced);
    ASSERT_NE(first.GraphicControlExtension, nullptr);
    EXPECT_EQ(first.GraphicControlExtension->GetDelay(), 12);
    EXPECT_EQ(first.GraphicControlExtension->GetDisposal(), dmBackground);
    EXPECT_EQ(first.GraphicControlExtension->GetTransparentColorIndex(), c.colours - 1);
    const auto* backLoop = dynamic_cast<const TGIFAppExtNSLoop*>(first.Extensions().Items(1));
    ASSERT_NE(backLoop, nullptr);
    EXPECT_EQ(backLoop->Loops, 3);
    EXPECT_EQ(back.Images().Items(1)->Data(), flat.Data());
    EXPECT_EQ(back.Images().Items(1)->ColorMap().Count(), 2);
    // What was read is written back byte for byte.
    back.Compression = c.compression;
    EXPECT_EQ(SaveGif(back), bytes);
}

INSTANTIATE_TEST_SUITE_P(Shapes, WriterRoundTrip,
                         testing::Values(RoundTripCase{1, 1, 2, false, TGIFCompression::gcLZW},
                                         RoundTripCase{1, 9, 2, true, TGIFCompression::gcLZW},
                                         RoundTripCase{7, 3, 3, true, TGIFCompression::gcRLE},
                                         RoundTripCase{100, 37, 16, false, TGIFCompression::gcLZW},
                                         RoundTripCase{100, 37, 16, true, TGIFCompression::gcRLE},
                                         RoundTripCase{255, 17, 129, false, TGIFCompression::gcRLE},
                                         RoundTripCase{300, 211, 256, false, TGIFCompression::gcLZW},
                                         RoundTripCase{300, 211, 256, true, TGIFCompression::gcLZW},
                                         RoundTripCase{1000, 1, 8, false, TGIFCompression::gcRLE}));

TEST(WriterRoundTrip, CommentsAndPlainTextKeepTheirLines) {
    TGIFImage image;
    AddGreys(image.ColorMap(), 2);
    TGIFSubImage& frame = AddFrame(image, 2, 2, {0, 1, 1, 0});
    auto comment = std::make_unique<TGIFCommentExtension>(&frame);
    comment->Text = {"first", "second line"};
    frame.Extensions().Add(std::move(comment));
    auto text = std::make_unique<TGIFTextExtension>(&frame);
    text->Text = {"caption"};
    text->SetBounds(3, 2);
    frame.Extensions().Add(std::move(text));
    auto loaded = LoadGif(SaveGif(image));
    const auto& extensions = loaded->image->Images().Items(0)->Extensions();
    ASSERT_EQ(extensions.Count(), 2);
    EXPECT_EQ(dynamic_cast<const TGIFCommentExtension&>(*extensions.Items(0)).Text,
              (std::vector<std::string>{"first", "second line"}));
    const auto& back = dynamic_cast<const TGIFTextExtension&>(*extensions.Items(1));
    EXPECT_EQ(back.Text, std::vector<std::string>{"caption"});
    EXPECT_EQ(back.GetBounds(3), 2);
}

} // namespace
} // namespace qm
