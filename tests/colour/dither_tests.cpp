// The ditherers against hand-worked corrections and against a plain whole-image reference that
// applies the textbook kernel matrices with bounds checks instead of guard cells.
#include "colour/dither.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace qm {
namespace {

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

using Image = std::vector<std::vector<Rgb>>;

// Each channel snaps to 0 or 255 at 128, so that errors are large and clamping happens often.
class ThresholdLookup : public TColorLookup {
public:
    ThresholdLookup() : TColorLookup(8) {}
    TColorMatch MatchColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) override {
        auto snap = [](int v) { return v >= 128 ? 1 : 0; };
        return {static_cast<std::uint8_t>(snap(r) * 4 + snap(g) * 2 + snap(b)),
                static_cast<std::uint8_t>(snap(r) * 255), static_cast<std::uint8_t>(snap(g) * 255),
                static_cast<std::uint8_t>(snap(b) * 255)};
    }
};

// Remembers what it was asked and answers through another lookup or a script of errors.
class RecordingLookup : public TColorLookup {
public:
    explicit RecordingLookup(std::function<TColorMatch(const Rgb&, int call)> answer)
        : TColorLookup(256), answer_(std::move(answer)) {}
    TColorMatch MatchColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) override {
        asked.push_back({r, g, b});
        return answer_(asked.back(), static_cast<int>(asked.size()) - 1);
    }
    std::vector<Rgb> asked;

private:
    std::function<TColorMatch(const Rgb&, int)> answer_;
};

// Records the colours asked of a ThresholdLookup.
RecordingLookup RecordingThreshold() {
    return RecordingLookup([threshold = std::make_shared<ThresholdLookup>()](const Rgb& c, int) {
        return threshold->MatchColor(static_cast<std::uint8_t>(c.r), static_cast<std::uint8_t>(c.g),
                                     static_cast<std::uint8_t>(c.b));
    });
}

// Drives a ditherer as the colour reduction does; `skip` pixels are stepped over untouched.
std::vector<std::vector<int>> Dither(TDitherEngine& ditherer, const Image& image,
                                     const std::function<bool(int, int)>& skip = {}) {
    std::vector<std::vector<int>> out(image.size(), std::vector<int>(image[0].size(), -1));
    const int width = static_cast<int>(image[0].size());
    for (std::size_t y = 0; y < image.size(); ++y) {
        while (ditherer.Column() >= 0 && ditherer.Column() < width) {
            const int x = ditherer.Column();
            const Rgb& p = image[y][static_cast<std::size_t>(x)];
            if (skip && skip(static_cast<int>(y), x)) {
                ditherer.StepColumn();
                continue;
            }
            out[y][static_cast<std::size_t>(x)] =
                ditherer
                    .DitherPixel(static_cast<std::uint8_t>(p.r), static_cast<std::uint8_t>(p.g),
                                 static_cast<std::uint8_t>(p.b))
                    .index;
        }
        ditherer.EndRow();
    }
    return out;
}

// Kernels as printed in the literature: rows below the pixel, columns -3..+3 around it, the pixel
// itself at row 0, column 3.
struct Matrix {
    TDitherMode mode;
    const char* name;
    int divisor;
    std::vector<std::array<int, 7>> rows;
};

const std::vector<Matrix>& Matrices() {
    static const std::vector<Matrix> all = {
        {TDitherMode::dmFloydSteinberg, "FloydSteinberg", 16, {{0, 0, 0, 0, 7, 0, 0}, {0, 0, 3, 5, 1, 0, 0}}},
        {TDitherMode::dmStucki,
         "Stucki",
         42,
         {{0, 0, 0, 0, 8, 4, 0}, {0, 2, 4, 8, 4, 2, 0}, {0, 1, 2, 4, 2, 1, 0}}},
        {TDitherMode::dmSierra,
         "Sierra",
         32,
         {{0, 0, 0, 0, 5, 3, 0}, {0, 2, 4, 5, 4, 2, 0}, {0, 0, 2, 3, 2, 0, 0}}},
        {TDitherMode::dmJaJuNI,
         "JarvisJudiceNinke",
         48,
         {{0, 0, 0, 0, 7, 5, 0}, {0, 3, 5, 7, 5, 3, 0}, {0, 1, 3, 5, 3, 1, 0}}},
        {TDitherMode::dmSteveArche,
         "StevensonArce",
         200,
         {{0, 0, 0, 0, 0, 32, 0},
          {12, 0, 26, 0, 30, 0, 16},
          {0, 12, 0, 26, 0, 12, 0},
          {5, 0, 12, 0, 12, 0, 5}}},
        {TDitherMode::dmBurkes, "Burkes", 32, {{0, 0, 0, 0, 8, 4, 0}, {0, 2, 4, 8, 4, 2, 0}}},
    };
    return all;
}

int TruncatingDivide(long long n, int d) {
    return static_cast<int>(n >= 0 ? n / d : -((-n) / d));
}

std::vector<std::vector<int>> Reference(const Matrix& m, TColorLookup& lookup, const Image& image,
                                        const std::function<bool(int, int)>& skip = {}) {
    const int height = static_cast<int>(image.size());
    const int width = static_cast<int>(image[0].size());
    std::vector<std::vector<std::array<long long, 3>>> error(
        static_cast<std::size_t>(height),
        std::vector<std::array<long long, 3>>(static_cast<std::size_t>(width)));
    std::vector<std::vector<int>> out(static_cast<std::size_t>(height),
                                      std::vector<int>(static_cast<std::size_t>(width), -1));
    for (int y = 0; y < height; ++y) {
        const int dir = y % 2 == 0 ? 1 : -1;
        for (int i = 0; i < width; ++i) {
            const int x = dir > 0 ? i : width - 1 - i;
            if (skip && skip(y, x))
                continue;
            const Rgb& p = image[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            const auto& acc = error[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            int want[3] = {p.r, p.g, p.b};
            for (int c = 0; c < 3; ++c)
                want[c] = std::clamp(
                    want[c] + TruncatingDivide(acc[static_cast<std::size_t>(c)] + m.divisor / 2, m.divisor),
                    0, 255);
            const TColorMatch got =
                lookup.MatchColor(static_cast<std::uint8_t>(want[0]), static_cast<std::uint8_t>(want[1]),
                                  static_cast<std::uint8_t>(want[2]));
            out[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = got.index;
            const int e[3] = {want[0] - got.red, want[1] - got.green, want[2] - got.blue};
            for (std::size_t r = 0; r < m.rows.size(); ++r)
                for (int k = -3; k <= 3; ++k) {
                    const int w = m.rows[r][static_cast<std::size_t>(k + 3)];
                    const int tx = x + k * dir;
                    const int ty = y + static_cast<int>(r);
                    if (w == 0 || tx < 0 || tx >= width || ty >= height)
                        continue;
                    for (int c = 0; c < 3; ++c)
                        error[static_cast<std::size_t>(ty)][static_cast<std::size_t>(tx)]
                             [static_cast<std::size_t>(c)] += static_cast<long long>(e[c]) * w;
                }
        }
    }
    return out;
}

Image RandomImage(int width, int height, unsigned seed, bool extremes) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> any(0, 255);
    std::uniform_int_distribution<int> edge(0, 1);
    Image image(static_cast<std::size_t>(height), std::vector<Rgb>(static_cast<std::size_t>(width)));
    for (auto& row : image)
        for (Rgb& p : row) {
            auto value = [&] {
                return extremes ? (edge(random) ? 240 + any(random) % 16 : any(random) % 16) : any(random);
            };
            p = {value(), value(), value()};
        }
    return image;
}

class DitherKernel : public ::testing::TestWithParam<Matrix> {};

TEST_P(DitherKernel, MatchesReferenceOnNarrowAndWideImagesInBothDirections) {
    for (int width : {1, 2, 3, 17})
        for (bool extremes : {false, true})
            for (unsigned seed = 1; seed <= 3; ++seed) {
                const Image image = RandomImage(width, 6, seed * 31 + static_cast<unsigned>(width), extremes);
                ThresholdLookup coarse;
                TNetscapeColorLookup web;
                for (TColorLookup* lookup :
                     {static_cast<TColorLookup*>(&coarse), static_cast<TColorLookup*>(&web)}) {
                    const auto ditherer = CreateDitherer(GetParam().mode, width, *lookup);
                    EXPECT_EQ(Dither(*ditherer, image), Reference(GetParam(), *lookup, image))
                        << "width " << width << " seed " << seed << " extremes " << extremes;
                }
            }
}

TEST_P(DitherKernel, SkippedPixelsNeitherTakeNorGiveError) {
    const Image image = RandomImage(17, 5, 7, false);
    auto skip = [](int y, int x) { return (x + 2 * y) % 5 == 0; };
    TNetscapeColorLookup web;
    const auto ditherer = CreateDitherer(GetParam().mode, 17, web);
    EXPECT_EQ(Dither(*ditherer, image, skip), Reference(GetParam(), web, image, skip));
}

INSTANTIATE_TEST_SUITE_P(AllKernels, DitherKernel, ::testing::ValuesIn(Matrices()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DitherEngine, NearestColourStillWalksRowsInSerpentineOrder) {
    RecordingLookup lookup([](const Rgb& c, int) {
        return TColorMatch{static_cast<std::uint8_t>(c.r), 0, 0, 0};
    });
    TDitherEngine engine(3, lookup);
    const Image image = {{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}, {{0, 1, 0}, {1, 1, 0}, {2, 1, 0}}};
    const auto out = Dither(engine, image);
    EXPECT_EQ(lookup.asked,
              (std::vector<Rgb>{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}, {0, 1, 0}}));
    EXPECT_EQ(out, (std::vector<std::vector<int>>{{0, 1, 2}, {0, 1, 2}}));
}

TEST(DitherEngine, OnePixelWideRowsAlwaysStartAtColumnZero) {
    TNetscapeColorLookup web;
    TDitherEngine engine(1, web);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(engine.Column(), 0);
        engine.DitherPixel(0, 0, 0);
        EXPECT_EQ(engine.Column(), row % 2 == 0 ? 1 : -1);
        engine.EndRow();
    }
}

// Floyd–Steinberg on 2 × 2 with scripted errors e0 at (0,0) and e1 at (0,1): the pixel (1,1),
// first of the right-to-left second row, collects e0 × 1 + e1 × 5.
struct RoundingCase {
    int e0;
    int e1;
    int correction;
};

class FloydSteinbergRounding : public ::testing::TestWithParam<RoundingCase> {};

TEST_P(FloydSteinbergRounding, RoundsHalfUpAndTruncatesTowardZero) {
    const RoundingCase& c = GetParam();
    const int errors[] = {c.e0, c.e1, 0, 0};
    RecordingLookup lookup([&](const Rgb& asked, int call) {
        const auto v = static_cast<std::uint8_t>(asked.r - errors[call]);
        return TColorMatch{static_cast<std::uint8_t>(call), v, v, v};
    });
    TFloydSteinbergDitherer ditherer(2, lookup);
    const Image image(2, std::vector<Rgb>(2, Rgb{100, 100, 100}));
    Dither(ditherer, image);
    ASSERT_EQ(lookup.asked.size(), 4u);
    EXPECT_EQ(lookup.asked[1].r, 100 + (7 * c.e0 + 8) / 16);
    EXPECT_EQ(lookup.asked[2].r, 100 + c.correction);
}

INSTANTIATE_TEST_SUITE_P(Accumulated, FloydSteinbergRounding,
                         ::testing::Values(RoundingCase{3, 1, 1},   // +8 rounds up to +1
                                           RoundingCase{1, -2, 0},  // -9 truncates to 0
                                           RoundingCase{0, -5, -1}, // -25 gives -1
                                           RoundingCase{0, 0, 0}));

TEST(FloydSteinbergClamping, ClampsBeforeTheLookupAndMeasuresTheErrorFromTheClampedValue) {
    RecordingLookup lookup = RecordingThreshold();
    TFloydSteinbergDitherer ditherer(2, lookup);
    // (0,0) maps 120 to 0 (error +120, 840 to its right); (0,1) wants 250 + 53, clamped to 255.
    // 135 maps to 255 (error -120); 5 - 53 clamps to 0.
    const Image image = {{{120, 135, 0}, {250, 5, 0}}, {{0, 0, 0}, {0, 0, 0}}};
    Dither(ditherer, image);
    ASSERT_EQ(lookup.asked.size(), 4u);
    EXPECT_EQ(lookup.asked[1], (Rgb{255, 0, 0}));
    // (1,1) gets 1/16 of (0,0)'s error and 5/16 of (0,1)'s, which was 0 after clamping.
    EXPECT_EQ(lookup.asked[2], (Rgb{(120 + 8) / 16, 0, 0}));
}

TEST(FloydSteinbergGuardCells, OnePixelWideImagesPassOnlyTheStraightDownShare) {
    RecordingLookup lookup = RecordingThreshold();
    TFloydSteinbergDitherer ditherer(1, lookup);
    const Image image = {{{100, 0, 0}}, {{100, 0, 0}}, {{100, 0, 0}}};
    EXPECT_EQ(Dither(ditherer, image), (std::vector<std::vector<int>>{{0}, {4}, {0}}));
    // 100 + (5 × 100 + 8) / 16 = 131 → white, error -124; 100 + (5 × -124 + 8) / 16 = 62.
    EXPECT_EQ(lookup.asked[1].r, 131);
    EXPECT_EQ(lookup.asked[2].r, 62);
}

} // namespace
} // namespace qm
