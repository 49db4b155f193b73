// Extensions: class look-up from the stream, byte-exact load and save of every kind, and the
// accessors that reach into the frame.
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

// A frame of a one-colour-table image, and a stream over extension bytes.
struct ExtensionFixture : testing::Test {
    TGIFImage image;
    TGIFSubImage* frame = nullptr;
    test::WarningLog log;
    QBuffer stream;

    void SetUp() override {
        log.attach(image);
        auto owned = std::make_unique<TGIFSubImage>(&image);
        frame = owned.get();
        image.Add(std::move(owned));
        for (int i = 0; i < 4; ++i)
            image.ColorMap().Add(static_cast<TColor>(i * 0x101010));
    }

    void Feed(const QByteArray& bytes) {
        stream.close();
        stream.setData(bytes);
        stream.open(QIODevice::ReadOnly);
    }

    // Loads one extension the way the reader does: class look-up after the introducer, then load.
    std::unique_ptr<TGIFExtension> LoadOne(const QByteArray& bytes) {
        Feed(bytes);
        stream.seek(1);
        const TGIFExtensionClass* found = TGIFExtension::FindExtension(stream);
        EXPECT_EQ(stream.pos(), 1) << "the look-up leaves the stream where it was";
        if (found == nullptr)
            return nullptr;
        stream.seek(0);
        auto extension = found->Create(frame);
        extension->LoadFromStream(stream);
        return extension;
    }
};

TEST_F(ExtensionFixture, GraphicControlIsSixBytesWhateverItsSizeByteSays) {
    const QByteArray bytes = GifBytes().raw({0x21, 0xF9, 7, 0xFD, 0x34, 0x12, 3, 0}).data();
    auto extension = LoadOne(bytes + QByteArray("\x2C"));
    auto* gce = dynamic_cast<TGIFGraphicControlExtension*>(extension.get());
    ASSERT_NE(gce, nullptr);
    EXPECT_EQ(stream.pos(), 8);
    EXPECT_TRUE(gce->GetTransparent());
    EXPECT_TRUE(frame->Transparent);
    EXPECT_EQ(gce->GetDelay(), 0x1234);
    EXPECT_EQ(gce->GetDisposal(), 7);
    EXPECT_FALSE(gce->GetUserInput());
    EXPECT_EQ(gce->GetTransparentColorIndex(), 3);
    EXPECT_EQ(test::SavedBytes(*gce), bytes);
}

TEST_F(ExtensionFixture, ShortGraphicControlWarnsOnly) {
    auto extension = LoadOne(GifBytes().raw({0x21, 0xF9, 4, 1}).data());
    ASSERT_NE(extension, nullptr);
    EXPECT_EQ(log.messages, std::vector<std::string>{"Premature end of data"});
}

TEST_F(ExtensionFixture, GraphicControlSettersKeepOtherBits) {
    TGIFGraphicControlExtension gce(frame);
    EXPECT_EQ(frame->GraphicControlExtension, &gce);
    TGIFGraphicControlExtension second(frame);
    EXPECT_EQ(frame->GraphicControlExtension, &gce) << "the first one created stays the frame's";
    gce.SetDisposal(dmPrevious);
    gce.SetUserInput(true);
    gce.SetTransparent(true);
    gce.SetDisposal(9); // low three bits
    EXPECT_EQ(gce.GetDisposal(), 1);
    EXPECT_EQ(gce.Rec().PackedFields, 0x07);
    gce.SetTransparentColorIndex(4);
    EXPECT_EQ(gce.GetTransparentColorIndex(), 0);
    EXPECT_EQ(log.messages, std::vector<std::string>{"Invalid color index"});
    gce.SetTransparentColor(0x303030);
    EXPECT_EQ(gce.GetTransparentColorIndex(), 3);
    gce.SetTransparentColor(0xABCDEF);
    EXPECT_EQ(gce.GetTransparentColorIndex(), 4);
    EXPECT_EQ(gce.GetTransparentColor(), 0xABCDEFu);
}

TEST_F(ExtensionFixture, LongCommentLineSplitsInto255ByteSubBlocks_AndLoadsAsTwoLines) {
    TGIFCommentExtension comment(frame);
    comment.Text = {std::string(300, 'c'), "", "end"};
    const QByteArray bytes = test::SavedBytes(comment);
    ASSERT_EQ(bytes.size(), 2 + 1 + 255 + 1 + 45 + 1 + 3 + 1);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[2]), 255);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[258]), 45);
    auto loaded = LoadOne(bytes);
    auto* back = dynamic_cast<TGIFCommentExtension*>(loaded.get());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Text, (std::vector<std::string>{std::string(255, 'c'), std::string(45, 'c'), "end"}));
}

TEST_F(ExtensionFixture, CommentLinesStopAtAZeroByte_AndAtTheEndOfTheStream) {
    auto loaded = LoadOne(GifBytes().raw({0x21, 0xFE, 3, 'a', 0, 'b', 2, 'x', 'y'}).data());
    auto* comment = dynamic_cast<TGIFCommentExtension*>(loaded.get());
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(comment->Text, (std::vector<std::string>{"a", "xy"}));
}

TEST_F(ExtensionFixture, PlainTextKeepsItsRecordAndText) {
    const QByteArray bytes = GifBytes()
                                 .raw({0x21, 0x01, 12})
                                 .u16(1)
                                 .u16(2)
                                 .u16(300)
                                 .u16(40)
                                 .raw({8, 16, 1, 2, 5, 'h', 'e', 'l', 'l', 'o', 0})
                                 .data();
    auto loaded = LoadOne(bytes);
    auto* text = dynamic_cast<TGIFTextExtension*>(loaded.get());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetBounds(3), 300);
    EXPECT_EQ(text->GetBounds(5), 0);
    EXPECT_EQ(text->GetCharWidthHeight(2), 16);
    EXPECT_EQ(text->GetColorIndex(1), 1);
    EXPECT_EQ(text->GetBackgroundColor(), 0x202020u);
    EXPECT_EQ(text->Text, std::vector<std::string>{"hello"});
    EXPECT_EQ(test::SavedBytes(*text), bytes);
    text->SetBounds(9, 77); // ignored
    text->SetForegroundColor(0x303030);
    EXPECT_EQ(text->GetColorIndex(1), 3);
}

TEST_F(ExtensionFixture, LoopExtensionReadsLoopsAndBufferSize_AnimextsKeepsItsName) {
    const QByteArray bytes = GifBytes()
                                 .raw({0x21, 0xFF, 11})
                                 .text("ANIMEXTS1.0")
                                 .raw({3, 1, 5, 0, 5, 2, 0x10, 0x20, 0, 0, 0})
                                 .data();
    auto loaded = LoadOne(bytes);
    auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(loaded.get());
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->Loops, 5);
    EXPECT_EQ(loop->BufferSize, 0x2010u);
    EXPECT_EQ(loop->GetIdentifier(), "ANIMEXTS");
    EXPECT_EQ(test::SavedBytes(*loop), bytes);
}

TEST_F(ExtensionFixture, LoopDataEndingAfterACountByteWarnsOnly) {
    auto loaded = LoadOne(GifBytes().raw({0x21, 0xFF, 11}).text("NETSCAPE2.0").raw({3}).data());
    ASSERT_NE(dynamic_cast<TGIFAppExtNSLoop*>(loaded.get()), nullptr);
    EXPECT_EQ(log.messages, std::vector<std::string>{"Premature end of data"});
}

TEST_F(ExtensionFixture, CommentWithoutTextIsWrittenWithOneZeroByteSubBlock) {
    const QByteArray zeroOnly = GifBytes().raw({0x21, 0xFE, 1, 0, 0}).data();
    auto loaded = LoadOne(zeroOnly);
    auto* comment = dynamic_cast<TGIFCommentExtension*>(loaded.get());
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(test::SavedBytes(*comment), zeroOnly);
    comment->Text.clear();
    EXPECT_EQ(test::SavedBytes(*comment), zeroOnly);
}

TEST_F(ExtensionFixture, LoopSubBlockTooShortIsInvalid) {
    const QByteArray bytes = GifBytes().raw({0x21, 0xFF, 11}).text("NETSCAPE2.0").raw({2, 1, 5, 0}).data();
    EXPECT_EQ(ErrorOf([&] { LoadOne(bytes); }), "Invalid GIF data");
}

TEST_F(ExtensionFixture, UnknownApplicationIsKeptByteForByte) {
    const QByteArray bytes =
        GifBytes().raw({0x21, 0xFF, 11}).text("XMP DataXMP").raw({3, 1, 2, 3, 1, 0xFF, 0}).data();
    auto loaded = LoadOne(bytes);
    auto* unknown = dynamic_cast<TGIFUnknownAppExtension*>(loaded.get());
    ASSERT_NE(unknown, nullptr);
    EXPECT_EQ(unknown->Blocks().size(), 2u);
    EXPECT_EQ(test::SavedBytes(*unknown), bytes);
}

TEST_F(ExtensionFixture, ApplicationBlockSizeTenLoads_NineIsRefused) {
    const QByteArray ten = GifBytes().raw({0x21, 0xFF, 10}).text("ABCDEFGH12").raw({2, 7, 8, 0}).data();
    auto loaded = LoadOne(ten);
    auto* unknown = dynamic_cast<TGIFUnknownAppExtension*>(loaded.get());
    ASSERT_NE(unknown, nullptr);
    EXPECT_EQ(unknown->GetIdentifier(), "ABCDEFGH");
    EXPECT_EQ(unknown->Rec()[10], 2) << "the next count byte fills the last slot";
    ASSERT_EQ(unknown->Blocks().size(), 1u);
    EXPECT_EQ(unknown->Blocks()[0]->Data, (std::vector<std::uint8_t>{7, 8}));

    Feed(GifBytes().raw({0x21, 0xFF, 9}).text("ABCDEFGHI").raw({0}).data());
    TGIFApplicationExtension plain(frame);
    EXPECT_EQ(ErrorOf([&] { plain.LoadFromStream(stream); }), "Unsupported Application Extension block size");
}

TEST_F(ExtensionFixture, ApplicationFieldsArePaddedWithSpacesAndCut) {
    TGIFApplicationExtension app(frame);
    app.SetIdentifier("AB");
    EXPECT_EQ(app.GetIdentifier(), "AB      ");
    app.SetAuthentication("1.0 and more");
    EXPECT_EQ(app.GetAuthentication(), "1.0");
    EXPECT_EQ(app.GetIdentifier(), "AB      ") << "nothing is written beyond a field";
    const QByteArray saved = test::SavedBytes(app);
    EXPECT_EQ(saved, GifBytes().raw({0x21, 0xFF, 11}).text("AB      1.0").raw({0}).data())
        << "even without data of its own the extension ends with the terminator";
}

TEST_F(ExtensionFixture, FramingIsChecked) {
    Feed(GifBytes().raw({0x2C, 0xFE, 0}).data());
    TGIFCommentExtension comment(frame);
    EXPECT_EQ(ErrorOf([&] { comment.LoadFromStream(stream); }), "Invalid extension introducer");
    Feed(GifBytes().raw({0x21, 0xF9, 0}).data());
    EXPECT_EQ(ErrorOf([&] { comment.LoadFromStream(stream); }),
              "Internal error: Extension Instance does not match Extension Label");
}

TEST_F(ExtensionFixture, UnregisteredLabelFindsNothing_LaterRegistrationsWin) {
    EXPECT_EQ(LoadOne(GifBytes().raw({0x21, 0x03, 0}).data()), nullptr);
    TGIFExtension::RegisterExtension(0x03, TGIFGraphicControlExtension::Class);
    TGIFExtension::RegisterExtension(0x03, TGIFCommentExtension::Class);
    Feed(GifBytes().raw({0x21, 0x03, 0}).data());
    stream.seek(1);
    EXPECT_EQ(TGIFExtension::FindExtension(stream), &TGIFCommentExtension::Class);
}

TEST_F(ExtensionFixture, ApplicationRegistryMatchesAllElevenBytes) {
    TGIFApplicationRec code{};
    const std::string text = "QUILLMRE1.0";
    std::copy(text.begin(), text.end(), code.begin());
    TGIFApplicationExtension::RegisterExtension(code, TGIFAppExtNSLoop::Class);
    Feed(GifBytes().raw({0x21, 0xFF, 11}).text("QUILLMRE1.0").raw({0}).data());
    stream.seek(1);
    EXPECT_EQ(TGIFExtension::FindExtension(stream), &TGIFAppExtNSLoop::Class);
    Feed(GifBytes().raw({0x21, 0xFF, 11}).text("QUILLMRE1.1").raw({0}).data());
    stream.seek(1);
    EXPECT_EQ(TGIFExtension::FindExtension(stream), &TGIFUnknownAppExtension::Class);
}

} // namespace
} // namespace qm
