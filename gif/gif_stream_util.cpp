#include "gif/gif_stream_util.h"

#include "framework/core/stream.h"

#include <algorithm>

namespace qm {

std::size_t ReadAvailable(QIODevice& stream, void* buffer, std::size_t count) {
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const qint64 n = stream.read(out + done, static_cast<qint64>(count - done));
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void SkipBytes(QIODevice& stream, std::int64_t count) {
    if (count > 0)
        stream.skip(count);
}

void WriteSubBlocks(QIODevice& stream, const std::uint8_t* data, std::size_t size) {
    std::uint8_t block[256];
    while (size > 0) {
        const std::size_t piece = std::min<std::size_t>(size, 255);
        block[0] = static_cast<std::uint8_t>(piece);
        std::copy_n(data, piece, block + 1);
        WriteCheck(stream, block, piece + 1);
        data += piece;
        size -= piece;
    }
}

} // namespace qm
