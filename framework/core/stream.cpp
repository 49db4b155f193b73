#include "framework/core/stream.h"

#include "framework/core/exceptions.h"

namespace qm {

void ReadCheck(QIODevice& stream, void* buffer, std::size_t count) {
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    // QIODevice::read may return less than asked for on sequential devices; only 0 or -1 with
    // bytes still missing means the data ended.
    while (done < count) {
        const qint64 n = stream.read(out + done, static_cast<qint64>(count - done));
        if (n <= 0)
            throw EInvalidGraphic(sOutOfData);
        done += static_cast<std::size_t>(n);
    }
}

std::uint8_t ReadByte(QIODevice& stream) {
    std::uint8_t value = 0;
    ReadCheck(stream, &value, 1);
    return value;
}

void WriteCheck(QIODevice& stream, const void* buffer, std::size_t count) {
    if (count == 0)
        return;
    if (stream.write(static_cast<const char*>(buffer), static_cast<qint64>(count)) !=
        static_cast<qint64>(count))
        throw EInvalidGraphic(sStreamWriteError);
}

void WriteByte(QIODevice& stream, std::uint8_t value) {
    WriteCheck(stream, &value, 1);
}

} // namespace qm
