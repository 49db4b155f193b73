#include "tests/gif/gif_builder.h"

namespace qm::test {

std::vector<std::uint8_t> PackSizedCodes(const std::vector<std::pair<int, int>>& codes, int minCodeSize) {
    std::vector<std::uint8_t> bytes;
    std::uint32_t accumulator = 0;
    int bits = 0;
    for (const auto& [code, width] : codes) {
        accumulator |= static_cast<std::uint32_t>(code) << bits;
        bits += width;
        while (bits >= 8) {
            bytes.push_back(static_cast<std::uint8_t>(accumulator));
            accumulator >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0)
        bytes.push_back(static_cast<std::uint8_t>(accumulator));
    std::vector<std::uint8_t> out{static_cast<std::uint8_t>(minCodeSize)};
    for (std::size_t i = 0; i < bytes.size(); i += 255) {
        const std::size_t n = std::min<std::size_t>(255, bytes.size() - i);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), bytes.begin() + static_cast<std::ptrdiff_t>(i),
                   bytes.begin() + static_cast<std::ptrdiff_t>(i + n));
    }
    out.push_back(0);
    return out;
}

std::vector<std::uint8_t> PlainLZW(const std::vector<std::uint8_t>& pixels, int minCodeSize) {
    const int clear = 1 << minCodeSize;
    const int width = minCodeSize + 1;
    // After a clear, every code but the first adds a table entry; the width grows once the
    // next free code reaches 2 * clear, so at most clear - 2 codes fit between clears.
    const int perClear = clear - 2;
    std::vector<std::pair<int, int>> codes;
    int sinceClear = perClear;
    for (const std::uint8_t pixel : pixels) {
        if (sinceClear == perClear) {
            codes.emplace_back(clear, width);
            sinceClear = 0;
        }
        codes.emplace_back(pixel, width);
        ++sinceClear;
    }
    codes.emplace_back(clear + 1, width);
    return PackSizedCodes(codes, minCodeSize);
}

GifBytes& GifBytes::raw(std::initializer_list<int> bytes) {
    for (const int b : bytes)
        data_.append(static_cast<char>(b));
    return *this;
}

GifBytes& GifBytes::raw(const std::vector<std::uint8_t>& bytes) {
    data_.append(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    return *this;
}

GifBytes& GifBytes::text(const std::string& s) {
    data_.append(s.data(), static_cast<qsizetype>(s.size()));
    return *this;
}

GifBytes& GifBytes::u16(int value) {
    return raw({value & 0xFF, (value >> 8) & 0xFF});
}

GifBytes& GifBytes::header(int width, int height, int colors, const std::string& version) {
    text("GIF" + version).u16(width).u16(height);
    if (colors < 2)
        return raw({0, 0, 0});
    int field = 0;
    while (TableEntries(field) < colors)
        ++field;
    raw({0x80 | (field << 4) | field, 0, 0});
    return colorTable(TableEntries(field));
}

GifBytes& GifBytes::colorTable(int count) {
    for (int i = 0; i < count; ++i) {
        const int v = count > 1 ? i * 255 / (count - 1) : 0;
        raw({v, v, v});
    }
    return *this;
}

GifBytes& GifBytes::descriptor(int left, int top, int width, int height, int packed, int separator) {
    return raw({separator}).u16(left).u16(top).u16(width).u16(height).raw({packed});
}

GifBytes& GifBytes::gce(int packed, int delay, int transparentIndex) {
    return raw({0x21, 0xF9, 4, packed}).u16(delay).raw({transparentIndex, 0});
}

GifBytes& GifBytes::frame(int width, int height, const std::vector<std::uint8_t>& pixels, int minCodeSize,
                          int packed) {
    return descriptor(0, 0, width, height, packed).raw(PlainLZW(pixels, minCodeSize));
}

} // namespace qm::test
