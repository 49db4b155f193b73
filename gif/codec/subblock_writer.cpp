#include "gif/codec/subblock_writer.h"

namespace qm {

void TGIFWriter::Write(const std::uint8_t* data, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        WriteByte(data[i]);
}

void TGIFWriter::Flush() {
    if (fill_ > 1)
        WriteBlock();
}

void TGIFWriter::WriteBlock() {
    buffer_[0] = static_cast<std::uint8_t>(fill_ - 1);
    const std::size_t size = fill_;
    fill_ = 1;
    sink_(buffer_.data(), size);
}

} // namespace qm
