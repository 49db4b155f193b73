#include "tests/gif/codec/code_packer.h"

#include <algorithm>
#include <bit>
#include <map>
#include <utility>

namespace qm::test {

namespace {

// Tracks the width at which a decoder reads the next code.
class TWidthModel {
public:
    explicit TWidthModel(int minCodeSize) : clear_(1 << minCodeSize), end_(clear_ + 1) {}
    int width() const {
        const int next = std::min(4096, clear_ + 2 + std::max(0, sinceClear_ - 1));
        const auto bits = [](int v) { return static_cast<int>(std::bit_width(static_cast<unsigned>(v))); };
        return std::clamp(bits(next), bits(clear_), 12);
    }
    void Saw(int code) { sinceClear_ = code == clear_ ? 0 : sinceClear_ + 1; }
    bool IsEnd(int code) const { return code == end_; }

private:
    int clear_;
    int end_;
    int sinceClear_ = 0;
};

} // namespace

std::vector<int> ReferenceCodes(std::span<const std::uint8_t> pixels, int minCodeSize, TFullTable full) {
    const int clear = 1 << minCodeSize;
    std::map<std::pair<int, int>, int> table;
    int next = clear + 2;
    std::vector<int> codes = {clear};
    int prefix = pixels[0];
    for (std::size_t i = 1; i < pixels.size(); ++i) {
        const int c = pixels[i];
        if (auto found = table.find({prefix, c}); found != table.end()) {
            prefix = found->second;
            continue;
        }
        codes.push_back(prefix);
        if (next < 4096) {
            table[{prefix, c}] = next++;
        } else if (full == TFullTable::ftClear) {
            codes.push_back(clear);
            table.clear();
            next = clear + 2;
        }
        prefix = c;
    }
    codes.push_back(prefix);
    codes.push_back(clear + 1);
    return codes;
}

std::vector<std::uint8_t> PackCodes(std::span<const int> codes, int minCodeSize, int blockSize) {
    std::vector<std::uint8_t> bytes;
    TWidthModel widths(minCodeSize);
    std::uint32_t accumulator = 0;
    int count = 0;
    for (int code : codes) {
        accumulator |= static_cast<std::uint32_t>(code) << count;
        count += widths.width();
        widths.Saw(code);
        for (; count >= 8; count -= 8, accumulator >>= 8)
            bytes.push_back(static_cast<std::uint8_t>(accumulator));
    }
    if (count > 0)
        bytes.push_back(static_cast<std::uint8_t>(accumulator));
    std::vector<std::uint8_t> out = {static_cast<std::uint8_t>(minCodeSize)};
    for (std::size_t i = 0; i < bytes.size(); i += static_cast<std::size_t>(blockSize)) {
        const std::size_t n = std::min(bytes.size() - i, static_cast<std::size_t>(blockSize));
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), bytes.begin() + static_cast<std::ptrdiff_t>(i),
                   bytes.begin() + static_cast<std::ptrdiff_t>(i + n));
    }
    out.push_back(0);
    return out;
}

std::vector<int> UnpackCodes(std::span<const std::uint8_t> imageData) {
    const int minCodeSize = imageData[0];
    std::vector<std::uint8_t> bytes;
    for (std::size_t pos = 1; imageData[pos] != 0; pos += 1 + imageData[pos])
        bytes.insert(bytes.end(), imageData.begin() + static_cast<std::ptrdiff_t>(pos + 1),
                     imageData.begin() + static_cast<std::ptrdiff_t>(pos + 1 + imageData[pos]));
    TWidthModel widths(minCodeSize);
    std::vector<int> codes;
    std::size_t bit = 0;
    while (true) {
        const int width = widths.width();
        if (bit + static_cast<std::size_t>(width) > bytes.size() * 8)
            break;
        int code = 0;
        for (int i = 0; i < width; ++i, ++bit)
            code |= ((bytes[bit / 8] >> (bit % 8)) & 1) << i;
        codes.push_back(code);
        widths.Saw(code);
        if (widths.IsEnd(code))
            break;
    }
    return codes;
}

} // namespace qm::test
