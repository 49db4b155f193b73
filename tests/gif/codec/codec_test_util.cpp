#include "tests/gif/codec/codec_test_util.h"

#include <memory>

namespace qm::test {

std::vector<std::uint8_t> MakePixels(int width, int height, int colors, TPattern pattern, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    int run = 0;
    std::uint8_t value = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        switch (pattern) {
        case TPattern::ptNoise:
            value = static_cast<std::uint8_t>(random() % static_cast<unsigned>(colors));
            break;
        case TPattern::ptRuns:
            if (run-- <= 0) {
                run = static_cast<int>(random() % 300);
                value = static_cast<std::uint8_t>(random() % static_cast<unsigned>(colors));
            }
            break;
        case TPattern::ptGradient: {
            const auto x = static_cast<int>(i % static_cast<std::size_t>(width));
            const auto y = static_cast<int>(i / static_cast<std::size_t>(width));
            value = static_cast<std::uint8_t>((x / 3 + y / 5 + static_cast<int>(random() % 3)) % colors);
            break;
        }
        }
        pixels[i] = value;
    }
    return pixels;
}

std::vector<TFrameCase> FrameCases(std::span<const std::pair<int, int>> sizes, std::span<const int> bits,
                                   int interlaceEvery) {
    std::vector<TFrameCase> cases;
    int n = 0;
    for (const auto& [width, height] : sizes)
        for (int b : bits)
            for (TPattern pattern : {TPattern::ptNoise, TPattern::ptRuns, TPattern::ptGradient})
                cases.push_back({width, height, b, pattern, (n++ % interlaceEvery) == 0});
    return cases;
}

TDecoded DecodeData(std::span<const std::uint8_t> data, int width, int height, bool interlaced,
                    std::uint8_t fill) {
    return DecodeData(*std::make_unique<TLZWDecoder>(), data, width, height, interlaced, fill);
}

TDecoded DecodeData(TLZWDecoder& decoder, std::span<const std::uint8_t> data, int width, int height,
                    bool interlaced, std::uint8_t fill) {
    TDecoded decoded;
    decoded.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0xEE);
    TGIFMemorySource memory(data);
    decoded.result = decoder.Decode({decoded.pixels, width, height, interlaced, fill}, std::ref(memory),
                                    [&](TLZWWarning w) { decoded.warnings.push_back(w); });
    decoded.consumed = memory.consumed();
    return decoded;
}

} // namespace qm::test
