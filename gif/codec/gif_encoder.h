#pragma once
// What the pixel data encoders share: the frame to encode, the result, and the code packer that
// turns variable-width codes into sub-blocks.

#include "gif/codec/codec_types.h"
#include "gif/codec/subblock_writer.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace qm {

// One frame's pixel indices, rows top to bottom; the encoder walks them in interlace order when
// `interlaced` is set. `bitsPerPixel` (1..8) gives the minimum code size (at least 2), `colorCount`
// the colour limit: an index at or beyond it cannot be encoded.
struct TGIFEncodeSource {
    std::span<const std::uint8_t> pixels;
    int width = 0;
    int height = 0;
    bool interlaced = false;
    int bitsPerPixel = 8;
    int colorCount = 256;
};

// esColorNotInTable: a pixel at or beyond the colour limit ("Color not in color table"); what was
// encoded before it has gone to the sink (without the terminating zero-length sub-block).
enum class TGIFEncodeStatus { esOK, esColorNotInTable };

} // namespace qm
