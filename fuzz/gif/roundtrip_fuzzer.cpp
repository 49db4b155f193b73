// Encode-then-decode: a frame built from the input goes through the LZW or run-length encoder and
// must come back from the decoder unchanged; the input itself is also decoded as raw image data,
// which must end cleanly whatever it holds. Frames are capped at 256 kpixels.

#include "gif/codec/lzw_decoder.h"
#include "gif/codec/lzw_encoder.h"
#include "gif/codec/rle_encoder.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

namespace {

constexpr std::size_t kMaxPixels = 256 * 1024;

struct TFrame {
    int width;
    int height;
    bool interlaced;
    bool rle;
    int bits;
    int colors;
    std::vector<std::uint8_t> pixels;
};

// Header: width, height (two bytes each), flags, colour count; the rest are pixels, repeated.
bool ParseFrame(std::span<const std::uint8_t> data, TFrame& frame) {
    if (data.size() < 6)
        return false;
    frame.width = 1 + (data[0] | (data[1] & 0x03) << 8);
    frame.height = 1 + (data[2] | (data[3] & 0x03) << 8);
    frame.interlaced = (data[4] & 1) != 0;
    frame.rle = (data[4] & 2) != 0;
    frame.bits = 1 + ((data[4] >> 2) & 7);
    frame.colors = 1 + data[5] % (1 << frame.bits);
    const auto area = static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height);
    if (area > kMaxPixels)
        return false;
    const auto body = data.subspan(6);
    frame.pixels.resize(area);
    for (std::size_t i = 0; i < area; ++i)
        frame.pixels[i] =
            body.empty() ? 0 : static_cast<std::uint8_t>(body[i % body.size()] % (frame.colors + 1));
    return true;
}

void RoundTrip(const TFrame& f, qm::TLZWDecoder& decoder) {
    std::vector<std::uint8_t> encoded;
    const qm::TGIFEncodeSource source{f.pixels, f.width, f.height, f.interlaced, f.bits, f.colors};
    const qm::TGIFByteSink sink = [&](const std::uint8_t* d, std::size_t n) {
        encoded.insert(encoded.end(), d, d + n);
    };
    const auto status =
        f.rle ? qm::TRLEEncoder().Encode(source, sink) : qm::TLZWEncoder().Encode(source, sink);
    const bool outOfRange =
        std::any_of(f.pixels.begin(), f.pixels.end(), [&](std::uint8_t p) { return p >= f.colors; });
    if ((status == qm::TGIFEncodeStatus::esColorNotInTable) != outOfRange)
        std::abort();
    if (outOfRange)
        return;
    std::vector<std::uint8_t> decoded(f.pixels.size());
    qm::TGIFMemorySource memory(encoded);
    bool warned = false;
    const auto result = decoder.Decode({decoded, f.width, f.height, f.interlaced, 0}, std::ref(memory),
                                       [&](qm::TLZWWarning) { warned = true; });
    if (result.status != qm::TLZWStatus::lsOK || warned || decoded != f.pixels ||
        memory.Consumed() != encoded.size())
        std::abort();
}

void DecodeRaw(std::span<const std::uint8_t> data, qm::TLZWDecoder& decoder) {
    std::vector<std::uint8_t> pixels(160 * 120);
    qm::TGIFMemorySource memory(data);
    const auto result = decoder.Decode({pixels, 160, 120, (data.size() & 1) != 0, 0}, std::ref(memory),
                                       [](qm::TLZWWarning) {});
    if (result.pixels > pixels.size() || memory.Consumed() > data.size())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto decoder = std::make_unique<qm::TLZWDecoder>();
    const std::span<const std::uint8_t> input(data, size);
    DecodeRaw(input, *decoder);
    TFrame frame;
    if (ParseFrame(input, frame))
        RoundTrip(frame, *decoder);
    return 0;
}
