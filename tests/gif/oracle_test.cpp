// giflib and stb_image as oracles: files that giflib's encoder writes decode to the same indices
// with us as with giflib (and to the same colours as with stb_image); files that our encoders
// write decode with both peers to the pixels we started from.
#include "gif/gif_image.h"
#include "tests/gif/gif_test_util.h"
#include "tests/support/gif_frames.h"
#include "tests/support/gif_peers.h"
#include "tests/support/pixels.h"

#include <gtest/gtest.h>
#include <span>

namespace qm {
namespace {

using Pixels = std::vector<std::uint8_t>;

struct OracleCase {
    int width;
    int height;
    int colours;
    bool interlaced;
    bool noisy; // noise, or flat areas that compress well
};

std::string CaseName(const testing::TestParamInfo<OracleCase>& info) {
    const OracleCase& c = info.param;
    return std::to_string(c.width) + "x" + std::to_string(c.height) + "_" + std::to_string(c.colours) + "c" +
           (c.interlaced ? "_interlaced" : "") + (c.noisy ? "_noise" : "_flat");
}

Pixels MakePixels(const OracleCase& c) {
    return test::MakePixels(c.width, c.height, c.colours,
                            c.noisy ? test::TPattern::ptNoise : test::TPattern::ptRuns,
                            static_cast<unsigned>(c.width * 31 + c.height));
}

// A colourful table of at least `colours` entries (a power of two).
std::vector<test::TPeerColor> Palette(int colours) {
    int size = 2;
    while (size < colours)
        size *= 2;
    std::vector<test::TPeerColor> palette(static_cast<std::size_t>(size));
    for (int i = 0; i < size; ++i)
        palette[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i * 37),
                                                static_cast<std::uint8_t>(255 - i),
                                                static_cast<std::uint8_t>(i * 11)};
    return palette;
}

std::span<const std::uint8_t> Bytes(const QByteArray& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
}

// giflib's first frame, or nothing when giflib refuses the file.
Pixels GiflibPixels(const QByteArray& bytes) {
    const auto frame = test::GiflibDecode(Bytes(bytes));
    return frame ? frame->pixels : Pixels();
}

std::vector<std::uint8_t> ThroughMap(const Pixels& pixels, const TGIFColorMap& map) {
    std::vector<std::uint8_t> rgb;
    rgb.reserve(pixels.size() * 3);
    for (const std::uint8_t p : pixels)
        rgb.insert(rgb.end(), {map[p].Red, map[p].Green, map[p].Blue});
    return rgb;
}

class GifOracle : public testing::TestWithParam<OracleCase> {};

TEST_P(GifOracle, FilesFromGiflibDecodeAsGiflibAndStbDecodeThem) {
    const OracleCase c = GetParam();
    const Pixels pixels = MakePixels(c);
    const auto file = test::GiflibEncode(pixels, c.width, c.height, c.interlaced, Palette(c.colours));
    const QByteArray bytes(reinterpret_cast<const char*>(file.data()), static_cast<qsizetype>(file.size()));
    ASSERT_EQ(GiflibPixels(bytes), pixels) << "giflib itself disagrees: the oracle is not set up right";
    auto loaded = test::LoadGif(bytes);
    ASSERT_EQ(loaded->image->Images().Count(), 1);
    const TGIFSubImage& frame = *loaded->image->Images().Items(0);
    EXPECT_EQ(frame.Interlaced(), c.interlaced);
    EXPECT_EQ(frame.Data(), pixels);
    EXPECT_TRUE(loaded->warnings.messages.empty());
    EXPECT_EQ(ThroughMap(frame.Data(), loaded->image->ColorMap()), test::StbDecodeRGB(Bytes(bytes)));
}

TEST_P(GifOracle, FilesFromOurEncodersDecodeWithGiflibAndStb) {
    const OracleCase c = GetParam();
    const Pixels pixels = MakePixels(c);
    for (const auto compression : {TGIFCompression::gcLZW, TGIFCompression::gcRLE}) {
        TGIFImage image;
        image.Compression = compression;
        for (const test::TPeerColor& entry : Palette(c.colours))
            image.ColorMap().Add(static_cast<TColor>(entry[0] | (entry[1] << 8) | (entry[2] << 16)));
        test::AddFrame(image, c.width, c.height, pixels).SetInterlaced(c.interlaced);
        const QByteArray bytes = test::SaveGif(image);
        EXPECT_EQ(GiflibPixels(bytes), pixels) << (compression == TGIFCompression::gcRLE ? "RLE" : "LZW");
        EXPECT_EQ(test::StbDecodeRGB(Bytes(bytes)), ThroughMap(pixels, image.ColorMap()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, GifOracle,
    testing::Values(OracleCase{1, 1, 2, false, true}, OracleCase{3, 7, 2, true, true},
                    OracleCase{13, 1, 4, true, false}, OracleCase{64, 64, 16, false, true},
                    OracleCase{64, 64, 16, true, false}, OracleCase{257, 129, 256, false, true},
                    OracleCase{257, 129, 256, true, true}, OracleCase{640, 480, 256, false, false},
                    OracleCase{640, 480, 32, true, true}, OracleCase{1000, 3, 128, false, false},
                    OracleCase{2, 1000, 8, true, true}),
    CaseName);

} // namespace
} // namespace qm
