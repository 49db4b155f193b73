#include "gif/codec/interlace.h"
#include "gif/codec/lzw_decoder.h"
#include "tests/gif/codec/code_packer.h"
#include "tests/gif/codec/codec_test_util.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <numeric>

namespace qm::test {
namespace {

using ::testing::ElementsAre;

constexpr int kClear2 = 4; // clear code at minimum code size 2
constexpr int kEnd2 = 5;

TEST(LZWDecoder, DecodesRepeatedStringsWithTheCodeNotYetInTheTable) {
    // 1, then "11" (code 6, defined by the code that uses it), then "111" (code 7, likewise).
    const auto data = PackCodes(std::vector{kClear2, 1, 6, 7, kEnd2}, 2);
    const auto decoded = DecodeData(data, 6, 1);
    EXPECT_THAT(decoded.pixels, ElementsAre(1, 1, 1, 1, 1, 1));
    EXPECT_EQ(decoded.result.pixels, 6u);
    EXPECT_EQ(decoded.result.status, TLZWStatus::lsOK);
    EXPECT_EQ(decoded.consumed, data.size());
    EXPECT_TRUE(decoded.warnings.empty());
}

TEST(LZWDecoder, CodesAboveTheByteRangeGiveTheirLowByteInEveryString) {
    // Minimum code size 10: clear 1024, end 1025. Single codes 300 and 700, the strings made of
    // them (1026, 1027, 1028) and one defined by its own use (1030), with room to spare behind.
    const auto data = PackCodes(std::vector{1024, 300, 700, 1026, 1027, 1028, 1030, 1025}, 10);
    const auto decoded = DecodeData(data, 32, 1, false, 7);
    const std::vector<std::uint8_t> strings = {44, 188, 44, 188, 188, 44, 44, 188, 188, 44, 188, 188, 44};
    EXPECT_TRUE(std::equal(strings.begin(), strings.end(), decoded.pixels.begin()));
    EXPECT_EQ(decoded.result.pixels, strings.size());
    EXPECT_TRUE(
        std::all_of(decoded.pixels.begin() + 13, decoded.pixels.end(), [](auto p) { return p == 7; }));
}

TEST(LZWDecoder, DataWithoutLeadingClearCodeDecodesAsWithOne) {
    const auto pixels = MakePixels(40, 30, 4, TPattern::ptNoise);
    auto codes = ReferenceCodes(pixels, 2, TFullTable::ftClear);
    const auto withClear = DecodeData(PackCodes(codes, 2), 40, 30);
    codes.erase(codes.begin());
    const auto withoutClear = DecodeData(PackCodes(codes, 2), 40, 30);
    EXPECT_EQ(withClear.pixels, pixels);
    EXPECT_EQ(withoutClear.pixels, pixels);
}

// Streams from an independent encoder, over code sizes, table policies and sub-block sizes: a
// full table without a clear code keeps 12-bit codes and adds nothing; codes may straddle
// several one-byte sub-blocks.
struct TStreamCase {
    int minCodeSize;
    TFullTable full;
    int blockSize;
    TPattern pattern;
};

class LZWDecoderStreams : public ::testing::TestWithParam<TStreamCase> {};

TEST_P(LZWDecoderStreams, ReproducesThePixels) {
    const TStreamCase c = GetParam();
    const int colors = std::min(256, 1 << c.minCodeSize);
    const auto pixels = MakePixels(300, 211, colors, c.pattern, 7);
    const auto data = PackCodes(ReferenceCodes(pixels, c.minCodeSize, c.full), c.minCodeSize, c.blockSize);
    const auto decoded = DecodeData(data, 300, 211);
    EXPECT_EQ(decoded.pixels, pixels);
    EXPECT_EQ(decoded.result.pixels, pixels.size());
    EXPECT_EQ(decoded.consumed, data.size());
    EXPECT_TRUE(decoded.warnings.empty());
}

INSTANTIATE_TEST_SUITE_P(Codes, LZWDecoderStreams,
                         ::testing::Values(TStreamCase{8, TFullTable::ftClear, 255, TPattern::ptNoise},
                                           TStreamCase{8, TFullTable::ftKeep, 255, TPattern::ptNoise},
                                           TStreamCase{8, TFullTable::ftKeep, 1, TPattern::ptNoise},
                                           TStreamCase{8, TFullTable::ftClear, 2, TPattern::ptRuns},
                                           TStreamCase{2, TFullTable::ftKeep, 255, TPattern::ptGradient},
                                           TStreamCase{4, TFullTable::ftClear, 3, TPattern::ptGradient},
                                           TStreamCase{11, TFullTable::ftKeep, 255, TPattern::ptNoise}));

TEST(LZWDecoder, InterlacedRowsAreMovedToTheirPlaces) {
    // Height 3: rows arrive in the order 0, 2, 1.
    const auto data = PackCodes(std::vector{kClear2, 0, 0, 2, 2, 1, 1, kEnd2}, 2);
    const auto decoded = DecodeData(data, 2, 3, true);
    EXPECT_THAT(decoded.pixels, ElementsAre(0, 0, 1, 1, 2, 2));

    std::vector<std::uint8_t> rows(23 * 4);
    std::iota(rows.begin(), rows.end(), 0);
    auto stored = rows;
    int storedRow = 0;
    for (TInterlaceRows walk(23); !walk.Done(); walk.Next(), ++storedRow)
        std::copy_n(rows.begin() + walk.Row() * 4, 4, stored.begin() + storedRow * 4);
    EXPECT_EQ(storedRow, 23);
    Deinterlace(stored, 4, 23);
    EXPECT_EQ(stored, rows);
}

TEST(LZWDecoder, TruncatedDataKeepsTheFillAndWarns) {
    const auto pixels = MakePixels(50, 40, 16, TPattern::ptNoise);
    auto data = PackCodes(ReferenceCodes(pixels, 4, TFullTable::ftClear), 4);
    data.resize(data.size() / 2); // cut inside a sub-block
    const auto decoded = DecodeData(data, 50, 40, false, 9);
    ASSERT_GT(decoded.result.pixels, 0u);
    ASSERT_LT(decoded.result.pixels, pixels.size());
    EXPECT_EQ(decoded.result.status, TLZWStatus::lsOK);
    EXPECT_THAT(decoded.warnings, ElementsAre(TLZWWarning::lwPrematureEnd));
    const auto reached = static_cast<std::ptrdiff_t>(decoded.result.pixels);
    EXPECT_TRUE(std::equal(decoded.pixels.begin(), decoded.pixels.begin() + reached, pixels.begin()));
    EXPECT_TRUE(
        std::all_of(decoded.pixels.begin() + reached, decoded.pixels.end(), [](auto p) { return p == 9; }));
}

TEST(LZWDecoder, DataEndingBeforeTheLastPixelWarnsOfUnderrun) {
    // Seven codes of 3, 3, 3, 3, 4, 4, 4 bits fill exactly three bytes, with no end code.
    const auto data = PackCodes(std::vector{kClear2, 1, 0, 2, 3, 1, 0}, 2);
    ASSERT_EQ(data.size(), 6u);
    const auto decoded = DecodeData(data, 8, 1, false, 7);
    EXPECT_THAT(decoded.pixels, ElementsAre(1, 0, 2, 3, 1, 0, 7, 7));
    EXPECT_THAT(decoded.warnings, ElementsAre(TLZWWarning::lwBitBufferUnderrun));
    EXPECT_EQ(decoded.consumed, data.size());
}

TEST(LZWDecoder, ClearFollowedByEndCodeLeavesTheFrameFilled) {
    const auto data = PackCodes(std::vector{kClear2, kEnd2}, 2);
    const auto decoded = DecodeData(data, 3, 2, false, 7);
    EXPECT_THAT(decoded.pixels, ElementsAre(7, 7, 7, 7, 7, 7));
    EXPECT_EQ(decoded.result.pixels, 0u);
    EXPECT_EQ(decoded.consumed, data.size());
}

TEST(LZWDecoder, StopsAtTheTerminatorOrAtTheLastPixel) {
    const std::vector<std::uint8_t> next = {0x21, 0xF9};
    auto data = PackCodes(std::vector{kClear2, 2, 2, kEnd2}, 2);
    const std::size_t imageBytes = data.size();
    data.insert(data.end(), next.begin(), next.end());
    EXPECT_EQ(DecodeData(data, 2, 1).consumed, imageBytes);
    // More pixels than the frame holds: what is left is not read.
    auto longer = PackCodes(std::vector{kClear2, 2, 6, 6, kEnd2}, 2);
    const auto decoded = DecodeData(longer, 3, 1);
    EXPECT_THAT(decoded.pixels, ElementsAre(2, 2, 2));
    EXPECT_LT(decoded.consumed, longer.size());
}

TEST(LZWDecoder, RejectsCodeSizesBeyondTheTables) {
    const std::vector<std::uint8_t> data = {12, 1, 0xFF, 0};
    const auto decoded = DecodeData(data, 2, 2, false, 4);
    EXPECT_EQ(decoded.result.status, TLZWStatus::lsCodeSizeTooLarge);
    EXPECT_EQ(decoded.result.minCodeSize, 12);
    EXPECT_THAT(decoded.pixels, ElementsAre(4, 4, 4, 4));
    EXPECT_EQ(DecodeData(std::vector<std::uint8_t>{}, 1, 1).result.minCodeSize, -1);
}

TEST(LZWDecoder, LoopingPrefixChainsAreCorrupt) {
    // Code 7 arrives before it exists and then becomes its own prefix.
    const auto self = DecodeData(PackCodes(std::vector{kClear2, 0, 7, 7, 7, kEnd2}, 2), 10, 1);
    EXPECT_EQ(self.result.status, TLZWStatus::lsCircularTable);
    // Codes 11 and 12 (minimum code size 3) end up as each other's prefix.
    const auto pair = DecodeData(PackCodes(std::vector{8, 0, 12, 11, 0, 11, 9}, 3), 20, 1);
    EXPECT_EQ(pair.result.status, TLZWStatus::lsCircularTable);
}

TEST(LZWDecoder, CodesBeyondTheTableRepeatThePreviousString) {
    // 7 is beyond the table (next is 6): it stands for the previous string plus its first pixel.
    const auto decoded = DecodeData(PackCodes(std::vector{kClear2, 3, 7, kEnd2}, 2), 3, 1);
    EXPECT_EQ(decoded.result.status, TLZWStatus::lsOK);
    EXPECT_THAT(decoded.pixels, ElementsAre(3, 3, 3));
}

TEST(LZWDecoder, CorruptDataDecodeAlikeAfterAnyEarlierFrame) {
    const std::vector<std::vector<int>> corrupt = {{kClear2, 3, 7, 2, 9, 6, 10, kEnd2},
                                                   {kClear2, 0, 7, 7, 7, kEnd2},
                                                   {kClear2, 6, 1, 7, 6, kClear2, 2, 7, 7, kEnd2}};
    auto reused = std::make_unique<TLZWDecoder>();
    const auto earlier = MakePixels(300, 200, 4, TPattern::ptGradient);
    for (const auto& codes : corrupt) {
        const auto data = PackCodes(codes, 2);
        DecodeData(*reused, PackCodes(ReferenceCodes(earlier, 2, TFullTable::ftKeep), 2), 300, 200);
        const auto afterFrame = DecodeData(*reused, data, 6, 4);
        const auto fresh = DecodeData(data, 6, 4);
        EXPECT_EQ(afterFrame.pixels, fresh.pixels);
        EXPECT_EQ(afterFrame.result.status, fresh.result.status);
    }
}

TEST(LZWDecoder, ReusedDecoderReadsFramesOfAnyOtherCodeSize) {
    // The single-pixel entries stay made from frame to frame; a frame with another clear code
    // must not find those of the frame before (nor its longer strings where its pixels are).
    const std::vector<std::pair<int, int>> sizes = {{2, 8}, {8, 2}, {8, 5}, {3, 11}, {11, 8}, {8, 8}};
    auto reused = std::make_unique<TLZWDecoder>();
    for (const auto& [before, after] : sizes) {
        const auto earlier = MakePixels(120, 90, std::min(256, 1 << before), TPattern::ptNoise, 3);
        DecodeData(*reused, PackCodes(ReferenceCodes(earlier, before, TFullTable::ftKeep), before), 120, 90);
        const auto pixels = MakePixels(100, 80, std::min(256, 1 << after), TPattern::ptNoise, 5);
        const auto decoded = DecodeData(
            *reused, PackCodes(ReferenceCodes(pixels, after, TFullTable::ftClear), after), 100, 80);
        EXPECT_EQ(decoded.pixels, pixels) << before << " then " << after;
    }
}

} // namespace
} // namespace qm::test
