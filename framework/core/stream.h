#pragma once
// Block reads and writes on a QIODevice that either move every byte asked for or throw, so that
// format readers can treat a short stream as the error it is.

#include <QIODevice>
#include <cstddef>
#include <cstdint>

namespace qm {

inline constexpr const char* sOutOfData = "Premature end of data";
inline constexpr const char* sStreamWriteError = "Stream write error";

// Reads exactly `count` bytes or throws EInvalidGraphic(sOutOfData).
void ReadCheck(QIODevice& stream, void* buffer, std::size_t count);
std::uint8_t ReadByte(QIODevice& stream);

// Writes exactly `count` bytes or throws EInvalidGraphic(sStreamWriteError).
void WriteCheck(QIODevice& stream, const void* buffer, std::size_t count);
void WriteByte(QIODevice& stream, std::uint8_t value);

} // namespace qm
