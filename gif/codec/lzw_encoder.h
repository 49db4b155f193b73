#pragma once
// The LZW encoder of GIF frame data, with an 8009-slot open-addressing string table.

#include "gif/codec/gif_encoder.h"

#include <array>
#include <cstdint>

namespace qm {

class TLZWEncoder {
public:
    // Writes the minimum code size byte, the data sub-blocks and the zero-length terminator.
    TGIFEncodeStatus Encode(const TGIFEncodeSource& source, const TGIFByteSink& sink);

    static constexpr int kHashSize = 8009; // a prime above twice the 4096 codes

private:
    std::array<std::uint32_t, kHashSize> hash_{};
    // Per prefix code, the pixel and code of the string last looked up or made from it: a cache
    // in front of the hash for the long runs of graphics.
    std::array<std::uint32_t, 4096> child_{};
};

} // namespace qm
