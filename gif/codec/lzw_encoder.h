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
};

} // namespace qm
