#pragma once
// Block reads and writes on a QIODevice that either move every byte asked for or throw, so that
// format readers can treat a short stream as the error it is.

#include <QIODevice>

#include <cstddef>
#include <cstdint>

namespace qm {

// Reads exactly `count` bytes or throws EInvalidGraphic("Premature end of data").
void ReadCheck(QIODevice& stream, void* buffer, std::size_t count);
std::uint8_t ReadByte(QIODevice& stream);

// Writes exactly `count` bytes or throws EInvalidGraphic("Stream write error").
void WriteCheck(QIODevice& stream, const void* buffer, std::size_t count);
void WriteByte(QIODevice& stream, std::uint8_t value);

} // namespace qm
