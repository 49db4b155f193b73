#pragma once
// The run-length encoder of GIF frame data: it emits only codes whose strings any standard LZW
// decoder infers by itself, so it needs no string table and its output stays readable everywhere.

#include "gif/codec/gif_encoder.h"

namespace qm {

class TRLEEncoder {
public:
    // Writes the minimum code size byte, the data sub-blocks and the zero-length terminator.
    TGIFEncodeStatus Encode(const TGIFEncodeSource& source, const TGIFByteSink& sink);
};

} // namespace qm
