#pragma once
// The LZW decoder of GIF frame data: turns the minimum code size byte and the data sub-blocks that
// follow it into one byte per pixel, de-interlaced, without allocating per code.

#include "gif/codec/codec_types.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace qm {

// Soft problems met while decoding; the reader reports them with these texts:
//   lwPrematureEnd      "Premature end of data"        (a sub-block count beyond the end of the stream)
//   lwBitBufferUnderrun "Decoder bit buffer under-run" (a code requested after the data ended)
enum class TLZWWarning { lwPrematureEnd, lwBitBufferUnderrun };
using TLZWWarningHandler = std::function<void(TLZWWarning)>;

// How decoding ended. Anything but lsOK is unreadable data the reader raises as an error:
//   lsCircularTable    "Circular decoder table entry" (a prefix chain that loops)
//   lsCodeSizeTooLarge a minimum code size above 11, whose clear code lies outside the code tables
enum class TLZWStatus { lsOK, lsCircularTable, lsCodeSizeTooLarge };

struct TLZWDecodeResult {
    std::size_t pixels = 0; // pixels taken from the data, in stream order (the rest keep the fill)
    TLZWStatus status = TLZWStatus::lsOK;
    int minCodeSize = -1; // the byte as read; -1 when the stream ended before it
};

// The frame to decode into. `pixels` holds width * height bytes, rows top to bottom.
struct TLZWTarget {
    std::span<std::uint8_t> pixels;
    int width = 0;
    int height = 0;
    bool interlaced = false;
    std::uint8_t fill = 0; // the value of every pixel the data does not reach
};

class TLZWDecoder {
public:
    // Reads the minimum code size byte and the data sub-blocks from `source` and fills `target`.
    // The source is left just after the last byte the decoder needed: after the terminating
    // zero-length sub-block when the data ends with the end code, else where the data stopped.
    TLZWDecodeResult Decode(const TLZWTarget& target, const TGIFByteSource& source,
                            const TLZWWarningHandler& warning);

private:
    friend class TLZWDecodeRun;
    static constexpr int kTableSize = 4096;
    // Per-decode state lives in the object so that the tables (about 100 KB) are not on the stack;
    // make one decoder per load and reuse it for every frame.
    std::array<std::uint16_t, kTableSize> prefix_{};
    std::array<std::uint16_t, kTableSize> suffix_{};
    // What the fast loop writes for a code: the string's first eight pixels as one word (the first
    // in the lowest byte), and where the whole string was last written in the frame. One entry per
    // cache line's quarter, so that a code costs one line. Codes below the clear code are strings
    // of one pixel.
    struct alignas(16) TString {
        std::uint64_t head;
        std::uint32_t position;
        std::uint32_t length;
    };
    std::array<TString, kTableSize> string_{};
    std::array<std::uint16_t, 2 * kTableSize> stack_{};
    int madeForClear_ = -1; // the clear code the entries up to it and the end code were made for
};

// A source over bytes in memory that counts what was taken (tests, tools, benchmarks).
class TGIFMemorySource {
public:
    explicit TGIFMemorySource(std::span<const std::uint8_t> data) : data_(data) {}
    std::size_t operator()(std::uint8_t* buffer, std::size_t count);
    std::size_t Consumed() const { return offset_; }

private:
    std::span<const std::uint8_t> data_;
    std::size_t offset_ = 0;
};

} // namespace qm
