#pragma once
// What the pixel data encoders share: the frame to encode, the result, the code packer that turns
// variable-width codes into sub-blocks, and the frame framing around an encoder's compress step.

#include "gif/codec/codec_types.h"
#include "gif/codec/interlace.h"
#include "gif/codec/subblock_writer.h"

#include <algorithm>
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

// Packs codes LSB first into bytes and the bytes into sub-blocks; holds the code width state the
// encoders steer.
class TGIFCodeStream {
public:
    TGIFCodeStream(int minCodeSize, TGIFByteSink sink)
        : initialBits(minCodeSize + 1), codeBits(initialBits), maxCode((1 << initialBits) - 1),
          clearCode(1 << minCodeSize), endCode(clearCode + 1), baseCode(clearCode + 2),
          writer_(std::move(sink)) {}

    void Output(int code) {
        accumulator_ |= static_cast<std::uint32_t>(code) << bitCount_;
        bitCount_ += codeBits;
        while (bitCount_ >= 8) {
            writer_.WriteByte(static_cast<std::uint8_t>(accumulator_));
            accumulator_ >>= 8;
            bitCount_ -= 8;
        }
        if (code == endCode && bitCount_ > 0) {
            writer_.WriteByte(static_cast<std::uint8_t>(accumulator_));
            accumulator_ = 0;
            bitCount_ = 0;
        }
    }
    void Flush() { writer_.Flush(); }

    const int initialBits;
    int codeBits;
    int maxCode;
    const int clearCode;
    const int endCode;
    const int baseCode;
    bool clearFlag = false;

private:
    std::uint32_t accumulator_ = 0;
    int bitCount_ = 0;
    TGIFWriter writer_;
};

// Calls `visit(row, width)` for each row in the order the frame is stored in the stream.
template <class Visit> void ForEachRow(const TGIFEncodeSource& source, Visit&& visit) {
    const auto width = static_cast<std::size_t>(source.width);
    auto rowAt = [&](int r) { return source.pixels.data() + static_cast<std::size_t>(r) * width; };
    if (source.interlaced) {
        for (TInterlaceRows walk(source.height); !walk.Done(); walk.Next())
            visit(rowAt(walk.Row()), width);
    } else {
        visit(rowAt(0), width * static_cast<std::size_t>(source.height));
    }
}

// The framing every encoder shares: the minimum code size byte, the compress step (skipped for a
// frame without pixels), the end code, the last sub-block and the zero-length terminator.
// `compress(codes)` returns the step's status.
template <class Compress>
TGIFEncodeStatus EncodeFrame(const TGIFEncodeSource& source, const TGIFByteSink& sink, Compress&& compress) {
    const auto minCodeSize = static_cast<std::uint8_t>(std::max(2, source.bitsPerPixel));
    sink(&minCodeSize, 1);
    TGIFCodeStream codes(minCodeSize, sink);
    const bool hasPixels = source.width > 0 && source.height > 0 &&
                           source.pixels.size() >= static_cast<std::size_t>(source.width) *
                                                       static_cast<std::size_t>(source.height);
    const TGIFEncodeStatus status = hasPixels ? compress(codes) : TGIFEncodeStatus::esOK;
    if (status == TGIFEncodeStatus::esOK)
        codes.Output(codes.endCode);
    codes.Flush();
    if (status == TGIFEncodeStatus::esOK) {
        const std::uint8_t terminator = 0;
        sink(&terminator, 1);
    }
    return status;
}

} // namespace qm
