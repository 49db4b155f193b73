#pragma once
// Little helpers for the GIF block layer: tolerant reads that report the end of the stream
// instead of throwing, little-endian fields, and data sub-blocks.

#include <QIODevice>
#include <cstddef>
#include <cstdint>

namespace qm {

// One byte, or false at the end of the stream.
inline bool ReadOptionalByte(QIODevice& stream, std::uint8_t& value) {
    char c = 0;
    if (!stream.getChar(&c))
        return false;
    value = static_cast<std::uint8_t>(c);
    return true;
}

// Up to `count` bytes; returns how many were read.
std::size_t ReadAvailable(QIODevice& stream, void* buffer, std::size_t count);
// Skips up to `count` bytes, stopping at the end of the stream.
void SkipBytes(QIODevice& stream, std::int64_t count);
// Writes `size` bytes as data sub-blocks of at most 255 bytes each, without a terminator.
void WriteSubBlocks(QIODevice& stream, const std::uint8_t* data, std::size_t size);

inline std::uint16_t GetU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t GetU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void PutU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
// Left, top, width and height: four little-endian u16 fields in a row, as GIF records hold them.
inline void GetRect16(const std::uint8_t* p, std::uint16_t& left, std::uint16_t& top, std::uint16_t& width,
                      std::uint16_t& height) {
    left = GetU16(p);
    top = GetU16(p + 2);
    width = GetU16(p + 4);
    height = GetU16(p + 6);
}
inline void PutRect16(std::uint8_t* p, std::uint16_t left, std::uint16_t top, std::uint16_t width,
                      std::uint16_t height) {
    PutU16(p, left);
    PutU16(p + 2, top);
    PutU16(p + 4, width);
    PutU16(p + 6, height);
}
inline void PutU32(std::uint8_t* p, std::uint32_t v) {
    PutU16(p, static_cast<std::uint16_t>(v));
    PutU16(p + 2, static_cast<std::uint16_t>(v >> 16));
}

} // namespace qm
