#pragma once
// Packs encoder output into GIF data sub-blocks: a count byte (1..255) followed by that many bytes.

#include "gif/codec/codec_types.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace qm {

class TGIFWriter {
public:
    explicit TGIFWriter(TGIFByteSink sink) : sink_(std::move(sink)) {}

    // Appends one byte; a full sub-block (255 data bytes) goes to the sink at once.
    void WriteByte(std::uint8_t value) {
        buffer_[fill_++] = value;
        if (fill_ == buffer_.size())
            WriteBlock();
    }
    void Write(const std::uint8_t* data, std::size_t count);
    // Writes the partly filled sub-block, if any. Not done by the destructor, because the sink
    // may throw: the owner calls it where the data is complete (or must stay as far as it got).
    void Flush();

private:
    void WriteBlock();

    TGIFByteSink sink_;
    std::array<std::uint8_t, 256> buffer_{}; // buffer_[0] is the count byte
    std::size_t fill_ = 1;
};

} // namespace qm
