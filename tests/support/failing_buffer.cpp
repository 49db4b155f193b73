#include "tests/support/failing_buffer.h"

#include <algorithm>

namespace qm::test {

qint64 FailingBuffer::readData(char* data, qint64 maxSize) {
    const qint64 allowed = std::min(maxSize, limit_ - moved_);
    if (allowed <= 0)
        return -1;
    const qint64 n = QBuffer::readData(data, allowed);
    if (n > 0)
        moved_ += n;
    return n;
}

qint64 FailingBuffer::writeData(const char* data, qint64 maxSize) {
    const qint64 allowed = std::min(maxSize, limit_ - moved_);
    if (allowed <= 0)
        return -1;
    const qint64 n = QBuffer::writeData(data, allowed);
    if (n > 0)
        moved_ += n;
    return n;
}

} // namespace qm::test
