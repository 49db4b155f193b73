#pragma once
// Test-side GIF code streams: a plain LZW code generator built on std::map and a packer that
// writes codes at the widths a decoder expects, cut into sub-blocks of a chosen size.

#include <cstdint>
#include <span>
#include <vector>

namespace qm::test {

// How the generated stream treats a full string table (4096 codes).
enum class TFullTable { ftClear, ftKeep };

// Codes for `pixels`: a clear code first, then the LZW codes, then the end code.
std::vector<int> ReferenceCodes(std::span<const std::uint8_t> pixels, int minCodeSize, TFullTable full);

// Packs codes LSB first. A code is written at the width of a decoder that has added one string
// per code since the last clear code (except for the first), growing up to 12 bits. Returns the
// minimum code size byte, the sub-blocks of at most `blockSize` bytes and the terminator.
std::vector<std::uint8_t> PackCodes(std::span<const int> codes, int minCodeSize, int blockSize = 255);

// The codes of packed image data, read back at the same widths (used to inspect encoder output).
std::vector<int> UnpackCodes(std::span<const std::uint8_t> imageData);

} // namespace qm::test
