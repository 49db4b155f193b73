#include "tests/gif/codec/codec_test_util.h"

#include <memory>

namespace qm::test {

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
    decoded.consumed = memory.Consumed();
    return decoded;
}

} // namespace qm::test
