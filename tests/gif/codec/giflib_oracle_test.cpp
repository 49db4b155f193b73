#include "gif/codec/lzw_encoder.h"
#include "gif/codec/rle_encoder.h"
#include "tests/gif/codec/codec_test_util.h"
#include "tests/support/gif_peers.h"

#include <gtest/gtest.h>

namespace qm::test {
namespace {

class GiflibOracle : public ::testing::TestWithParam<TFrameCase> {
protected:
    std::vector<std::uint8_t> Pixels() const { return GetParam().Pixels(); }
};

TEST_P(GiflibOracle, GiflibReadsWhatWeWrite) {
    const auto& c = GetParam();
    const auto pixels = Pixels();
    for (const auto& data : {EncodeData<TLZWEncoder>(pixels, c.width, c.height, c.interlaced, c.bits),
                             EncodeData<TRLEEncoder>(pixels, c.width, c.height, c.interlaced, c.bits)}) {
        const auto frame =
            GiflibDecode(MakeGifFile(c.width, c.height, c.interlaced, std::max(1, c.bits), data));
        ASSERT_TRUE(frame.has_value());
        EXPECT_EQ(frame->pixels, pixels);
    }
}

TEST_P(GiflibOracle, WeReadWhatGiflibWrites) {
    const auto& c = GetParam();
    const auto pixels = Pixels();
    const auto file = GiflibEncode(pixels, c.width, c.height, c.interlaced, c.bits);
    const auto data = FirstImageData(file);
    const auto decoded = DecodeData(data, c.width, c.height, c.interlaced);
    EXPECT_EQ(decoded.pixels, pixels);
    EXPECT_EQ(decoded.consumed, data.size());
    EXPECT_TRUE(decoded.warnings.empty());
}

// Both encoders fill the same table and clear it at the same point, so the streams are exactly
// as long: a byte more is a code wasted, a byte less a table that runs out differently.
TEST_P(GiflibOracle, OurLZWIsExactlyAsLargeAsGiflibs) {
    const auto& c = GetParam();
    const auto pixels = Pixels();
    const auto ours = EncodeData<TLZWEncoder>(pixels, c.width, c.height, c.interlaced, c.bits);
    const auto theirs = FirstImageData(GiflibEncode(pixels, c.width, c.height, c.interlaced, c.bits));
    EXPECT_EQ(ours.size(), theirs.size());
}

const std::pair<int, int> kOracleSizes[] = {{1, 1}, {5, 3}, {16, 9}, {100, 75}, {333, 201}, {640, 480}};
const int kOracleBits[] = {1, 2, 4, 6, 8};
INSTANTIATE_TEST_SUITE_P(Frames, GiflibOracle, ::testing::ValuesIn(FrameCases(kOracleSizes, kOracleBits, 3)));

} // namespace
} // namespace qm::test
