#pragma once
// Byte source and sink types shared by the GIF codec units, so that the units stay free of Qt and
// of the document model: the reader and writer wrap their QIODevice in these.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace qm {

// Copies up to `count` bytes of the stream into `buffer` and returns how many it copied; fewer than
// `count` only at the end of the data. Called once per sub-block, never per pixel.
using TGIFByteSource = std::function<std::size_t(std::uint8_t* buffer, std::size_t count)>;

// Writes `count` bytes to the stream (or throws). Called once per sub-block, never per pixel.
using TGIFByteSink = std::function<void(const std::uint8_t* data, std::size_t count)>;

} // namespace qm
