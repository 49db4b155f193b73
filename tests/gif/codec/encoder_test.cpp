#include "gif/codec/lzw_encoder.h"
#include "gif/codec/rle_encoder.h"
#include "gif/codec/subblock_writer.h"
#include "tests/gif/codec/code_packer.h"
#include "tests/gif/codec/codec_test_util.h"
#include "tests/support/gif_peers.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace qm::test {
namespace {

using ::testing::ElementsAre;

std::vector<std::size_t> BlockSizes(std::size_t bytes) {
    std::vector<std::uint8_t> out;
    {
        TGIFWriter writer([&](const std::uint8_t* d, std::size_t n) { out.insert(out.end(), d, d + n); });
        std::vector<std::uint8_t> data(bytes);
        for (std::size_t i = 0; i < bytes; ++i)
            data[i] = static_cast<std::uint8_t>(i * 7);
        writer.Write(data.data(), data.size());
        writer.Flush();
        writer.Flush(); // nothing more to write
    }
    std::vector<std::size_t> sizes;
    std::size_t payload = 0;
    for (std::size_t pos = 0; pos < out.size(); pos += 1 + out[pos]) {
        sizes.push_back(out[pos]);
        for (std::size_t i = 0; i < out[pos]; ++i)
            EXPECT_EQ(out[pos + 1 + i], static_cast<std::uint8_t>((payload + i) * 7));
        payload += out[pos];
    }
    return sizes;
}

TEST(SubBlockWriter, CutsDataIntoBlocksOfAtMost255Bytes) {
    EXPECT_TRUE(BlockSizes(0).empty());
    EXPECT_THAT(BlockSizes(1), ElementsAre(1u));
    EXPECT_THAT(BlockSizes(255), ElementsAre(255u));
    EXPECT_THAT(BlockSizes(256), ElementsAre(255u, 1u));
    EXPECT_THAT(BlockSizes(600), ElementsAre(255u, 255u, 90u));
}

TEST(LZWEncoder, SinglePixelWithOneColour) {
    // Minimum code size 2 (raised from 0 bits), then clear, 0, end in 3-bit codes.
    std::vector<std::uint8_t> out;
    TLZWEncoder encoder;
    const std::uint8_t pixel = 0;
    const auto status =
        encoder.Encode({std::span(&pixel, 1), 1, 1, false, 0, 1},
                       [&](const std::uint8_t* d, std::size_t n) { out.insert(out.end(), d, d + n); });
    EXPECT_EQ(status, TGIFEncodeStatus::esOK);
    EXPECT_THAT(out, ElementsAre(0x02, 0x02, 0x44, 0x01, 0x00));
}

TEST(LZWEncoder, NoiseClearsTheTableWhenItFills) {
    const auto pixels = MakePixels(200, 150, 256, TPattern::ptNoise);
    const auto data = EncodeData<TLZWEncoder>(pixels, 200, 150, false, 8);
    const auto codes = UnpackCodes(data);
    ASSERT_EQ(codes.back(), 257);
    std::vector<int> codesBetweenClears;
    int since = -1;
    for (int code : codes) {
        if (code == 256) {
            if (since >= 0)
                codesBetweenClears.push_back(since);
            since = 0;
        } else {
            ++since;
        }
    }
    // After a clear the table gains one string per code but the first: a clear arrives when the
    // next free code would be 4095.
    ASSERT_GE(codesBetweenClears.size(), 5u);
    for (int n : codesBetweenClears)
        EXPECT_EQ(258 + n - 1, 4095);
    EXPECT_EQ(DecodeData(data, 200, 150).pixels, pixels);
}

template <class Encoder> void ExpectColourLimit() {
    auto pixels = MakePixels(30, 20, 16, TPattern::ptRuns);
    pixels[450] = 16;
    TGIFEncodeStatus status{};
    const auto data = EncodeData<Encoder>(pixels, 30, 20, false, 4, &status);
    EXPECT_EQ(status, TGIFEncodeStatus::esColorNotInTable);
    ASSERT_GE(data.size(), 2u);
    EXPECT_EQ(data[0], 4);
    EXPECT_NE(data.back(), 0) << "no terminator after the failure";
}

TEST(Encoders, PixelAtTheColourLimitIsRejected) {
    ExpectColourLimit<TLZWEncoder>();
    ExpectColourLimit<TRLEEncoder>();
}

TEST(Encoders, FrameWithoutPixelsHoldsOnlyTheEndCode) {
    const auto lzw = EncodeData<TLZWEncoder>({}, 0, 5, false, 1);
    const auto rle = EncodeData<TRLEEncoder>({}, 0, 5, false, 1);
    EXPECT_THAT(lzw, ElementsAre(0x02, 0x01, 0x05, 0x00));
    EXPECT_EQ(rle, lzw);
}

TEST(RLEEncoder, LongRunsUseGrowingStrings) {
    std::vector<std::uint8_t> pixels(1000, 3);
    const auto data = EncodeData<TRLEEncoder>(pixels, 1000, 1, false, 2);
    EXPECT_EQ(DecodeData(data, 1000, 1).pixels, pixels);
    const auto giflib = GiflibDecode(MakeGifFile(1000, 1, false, 2, data));
    ASSERT_TRUE(giflib.has_value());
    EXPECT_EQ(giflib->pixels, pixels);
    // Strings of 1, 2, 3, ... pixels: about sqrt(2 * 1000) codes rather than 1000.
    EXPECT_LT(UnpackCodes(data).size(), 100u);
}

// Encoder to decoder over sizes, colour counts, patterns and interlacing.
class EncoderRoundTrip : public ::testing::TestWithParam<TFrameCase> {};

TEST_P(EncoderRoundTrip, OurDecoderGetsThePixelsBack) {
    const TFrameCase c = GetParam();
    const auto pixels = c.Pixels();
    for (const auto& data : {EncodeData<TLZWEncoder>(pixels, c.width, c.height, c.interlaced, c.bits),
                             EncodeData<TRLEEncoder>(pixels, c.width, c.height, c.interlaced, c.bits)}) {
        const auto decoded = DecodeData(data, c.width, c.height, c.interlaced);
        EXPECT_EQ(decoded.pixels, pixels);
        EXPECT_EQ(decoded.consumed, data.size());
        EXPECT_TRUE(decoded.warnings.empty());
    }
}

const std::pair<int, int> kRoundTripSizes[] = {{1, 1},   {1, 2},   {2, 1},    {3, 3},    {7, 13},
                                               {64, 64}, {255, 3}, {301, 97}, {1024, 40}};
const int kRoundTripBits[] = {1, 2, 3, 5, 8};
INSTANTIATE_TEST_SUITE_P(Frames, EncoderRoundTrip,
                         ::testing::ValuesIn(FrameCases(kRoundTripSizes, kRoundTripBits, 2)));

} // namespace
} // namespace qm::test
