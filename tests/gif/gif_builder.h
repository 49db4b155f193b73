#pragma once
// Builds GIF byte streams for tests, block by block, so that broken streams can be written down
// exactly where they break.

#include <QByteArray>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace qm::test {

// Codes packed least-significant bit first into data sub-blocks: the minimum code size byte, the
// sub-blocks and the zero-length terminator. Each code carries its own width, so that streams a
// decoder would never see from an encoder can be written down; the codec tests' PackCodes picks
// the widths a decoder expects.
std::vector<std::uint8_t> PackSizedCodes(const std::vector<std::pair<int, int>>& codes, int minCodeSize);

// LZW data that a decoder reads without growing its code width: one code per pixel and a clear
// code whenever the table would reach the next width.
std::vector<std::uint8_t> PlainLZW(const std::vector<std::uint8_t>& pixels, int minCodeSize);

class GifBytes {
public:
    GifBytes& raw(std::initializer_list<int> bytes);
    GifBytes& raw(const std::vector<std::uint8_t>& bytes);
    GifBytes& text(const std::string& s);
    GifBytes& u16(int value);
    // Signature, version and logical screen; a global table of `colors` grey entries when
    // `colors` is 2..256 (rounded to the table size the packed fields can express).
    GifBytes& header(int width, int height, int colors = 0, const std::string& version = "89a");
    // `count` entries of a grey ramp.
    GifBytes& colorTable(int count);
    // Image descriptor; `packed` as in the file, `separator` the byte standing before it.
    GifBytes& descriptor(int left, int top, int width, int height, int packed = 0, int separator = 0x2C);
    GifBytes& gce(int packed, int delay, int transparentIndex);
    // A complete frame: descriptor (with `packed`) and plain LZW data of `pixels`.
    GifBytes& frame(int width, int height, const std::vector<std::uint8_t>& pixels, int minCodeSize = 2,
                    int packed = 0);
    GifBytes& trailer() { return raw({0x3B}); }
    const QByteArray& data() const { return data_; }

private:
    QByteArray data_;
};

// The entry count a colour table of bits-per-pixel field `sizeField` holds.
inline int TableEntries(int sizeField) {
    return 2 << sizeField;
}

} // namespace qm::test
