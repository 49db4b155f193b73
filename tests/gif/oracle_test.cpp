// giflib and stb_image as oracles: files that giflib's encoder writes decode to the same indices
// with us as with giflib (and to the same colours as with stb_image); files that our encoders
// write decode with both peers to the pixels we started from.
#include "gif/gif_image.h"
#include "tests/gif/gif_test_util.h"

#include <gif_lib.h>
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_GIF
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <stb/stb_image.h>

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
    std::mt19937 random(static_cast<unsigned>(c.width * 31 + c.height));
    Pixels pixels(static_cast<std::size_t>(c.width) * static_cast<std::size_t>(c.height));
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const auto x = static_cast<int>(i % static_cast<std::size_t>(c.width));
        const auto y = static_cast<int>(i / static_cast<std::size_t>(c.width));
        const unsigned value =
            c.noisy ? static_cast<unsigned>(random()) : static_cast<unsigned>(x / 9 + y / 5);
        pixels[i] = static_cast<std::uint8_t>(value % static_cast<unsigned>(c.colours));
    }
    return pixels;
}

std::vector<GifColorType> Palette(int colours) {
    int size = 2;
    while (size < colours)
        size *= 2;
    std::vector<GifColorType> palette(static_cast<std::size_t>(size));
    for (int i = 0; i < size; ++i)
        palette[static_cast<std::size_t>(i)] = {static_cast<GifByteType>(i * 37),
                                                static_cast<GifByteType>(255 - i),
                                                static_cast<GifByteType>(i * 11)};
    return palette;
}

// Rows in the order an interlaced frame stores them.
std::vector<int> RowOrder(int height, bool interlaced) {
    std::vector<int> rows;
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            rows.push_back(y);
        return rows;
    }
    for (const auto& [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
        for (int y = start; y < height; y += step)
            rows.push_back(y);
    return rows;
}

QByteArray GiflibEncode(const OracleCase& c, const Pixels& pixels) {
    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(
        &out,
        [](GifFileType* file, const GifByteType* data, int length) {
            static_cast<QByteArray*>(file->UserData)->append(reinterpret_cast<const char*>(data), length);
            return length;
        },
        &error);
    EXPECT_NE(gif, nullptr);
    std::vector<GifColorType> palette = Palette(c.colours);
    ColorMapObject* map = GifMakeMapObject(static_cast<int>(palette.size()), palette.data());
    EGifPutScreenDesc(gif, c.width, c.height, 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, c.width, c.height, c.interlaced, nullptr);
    Pixels row(static_cast<std::size_t>(c.width));
    for (const int y : RowOrder(c.height, c.interlaced)) {
        std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(y) * c.width, c.width, row.begin());
        EXPECT_EQ(EGifPutLine(gif, row.data(), c.width), GIF_OK);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

struct ReadState {
    const QByteArray* data;
    int offset;
};

// The first frame's indices as giflib reads them, de-interlaced.
Pixels GiflibDecode(const QByteArray& bytes) {
    ReadState state{&bytes, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(
        &state,
        [](GifFileType* file, GifByteType* buffer, int length) {
            auto* s = static_cast<ReadState*>(file->UserData);
            const int n = std::min(length, static_cast<int>(s->data->size()) - s->offset);
            std::copy_n(s->data->constData() + s->offset, n, reinterpret_cast<char*>(buffer));
            s->offset += n;
            return n;
        },
        &error);
    if (gif == nullptr)
        return {};
    Pixels pixels;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0) {
        const SavedImage& frame = gif->SavedImages[0];
        pixels.assign(frame.RasterBits, frame.RasterBits + frame.ImageDesc.Width * frame.ImageDesc.Height);
    }
    DGifCloseFile(gif, &error);
    return pixels;
}

// The first frame as stb_image composes it, three bytes per pixel.
std::vector<std::uint8_t> StbDecodeRGB(const QByteArray& bytes) {
    int width = 0;
    int height = 0;
    int components = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> rgba(
        stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.constData()),
                              static_cast<int>(bytes.size()), &width, &height, &components, 4),
        stbi_image_free);
    std::vector<std::uint8_t> rgb;
    for (int i = 0; rgba && i < width * height; ++i)
        rgb.insert(rgb.end(), rgba.get() + i * 4, rgba.get() + i * 4 + 3);
    return rgb;
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
    const QByteArray bytes = GiflibEncode(c, pixels);
    ASSERT_EQ(GiflibDecode(bytes), pixels) << "giflib itself disagrees: the oracle is not set up right";
    auto loaded = test::LoadGif(bytes);
    ASSERT_EQ(loaded->image->Images().Count(), 1);
    const TGIFSubImage& frame = *loaded->image->Images().Items(0);
    EXPECT_EQ(frame.Interlaced(), c.interlaced);
    EXPECT_EQ(frame.Data(), pixels);
    EXPECT_TRUE(loaded->warnings.messages.empty());
    EXPECT_EQ(ThroughMap(frame.Data(), loaded->image->ColorMap()), StbDecodeRGB(bytes));
}

TEST_P(GifOracle, FilesFromOurEncodersDecodeWithGiflibAndStb) {
    const OracleCase c = GetParam();
    const Pixels pixels = MakePixels(c);
    for (const auto compression : {TGIFCompression::gcLZW, TGIFCompression::gcRLE}) {
        TGIFImage image;
        image.Compression = compression;
        for (const GifColorType& entry : Palette(c.colours))
            image.ColorMap().Add(static_cast<TColor>(entry.Red | (entry.Green << 8) | (entry.Blue << 16)));
        auto owned = std::make_unique<TGIFSubImage>(&image);
        TGIFSubImage& frame = *owned;
        image.Add(std::move(owned));
        frame.DoSetBounds(0, 0, c.width, c.height);
        frame.Data() = pixels;
        frame.SetInterlaced(c.interlaced);
        const QByteArray bytes = test::SaveGif(image);
        EXPECT_EQ(GiflibDecode(bytes), pixels) << (compression == TGIFCompression::gcRLE ? "RLE" : "LZW");
        EXPECT_EQ(StbDecodeRGB(bytes), ThroughMap(pixels, image.ColorMap()));
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
