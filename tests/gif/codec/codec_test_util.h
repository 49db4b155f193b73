#pragma once
// Small helpers of the codec tests: pixel patterns and running our units on byte vectors.

#include "gif/codec/gif_encoder.h"
#include "gif/codec/lzw_decoder.h"
#include "tests/support/pixels.h"

#include <cstdint>
#include <random>
#include <span>
#include <utility>
#include <vector>

namespace qm::test {

// One frame of a table-driven case: size, colour depth, content and interlacing.
struct TFrameCase {
    int width;
    int height;
    int bits;
    TPattern pattern;
    bool interlaced;

    std::vector<std::uint8_t> Pixels() const {
        return MakePixels(width, height, 1 << bits, pattern, static_cast<unsigned>(width * 31 + height));
    }
};

// Every size with every colour depth and pattern; every `interlaceEvery`-th case interlaced.
std::vector<TFrameCase> FrameCases(std::span<const std::pair<int, int>> sizes, std::span<const int> bits,
                                   int interlaceEvery);

struct TDecoded {
    std::vector<std::uint8_t> pixels;
    TLZWDecodeResult result;
    std::vector<TLZWWarning> warnings;
    std::size_t consumed = 0;
};

// Decodes image data (minimum code size byte onwards) into a frame filled with `fill`.
TDecoded DecodeData(std::span<const std::uint8_t> data, int width, int height, bool interlaced = false,
                    std::uint8_t fill = 0);
// The same with a given decoder, as a reader reuses one for every frame.
TDecoded DecodeData(TLZWDecoder& decoder, std::span<const std::uint8_t> data, int width, int height,
                    bool interlaced = false, std::uint8_t fill = 0);

// Runs an encoder into a byte vector.
template <class Encoder>
std::vector<std::uint8_t> EncodeData(std::span<const std::uint8_t> pixels, int width, int height,
                                     bool interlaced, int bitsPerPixel, TGIFEncodeStatus* status = nullptr) {
    std::vector<std::uint8_t> out;
    Encoder encoder;
    const TGIFEncodeStatus s =
        encoder.Encode({pixels, width, height, interlaced, bitsPerPixel, 1 << bitsPerPixel},
                       [&](const std::uint8_t* d, std::size_t n) { out.insert(out.end(), d, d + n); });
    if (status != nullptr)
        *status = s;
    return out;
}

} // namespace qm::test
