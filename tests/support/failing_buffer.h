#pragma once
// A QBuffer that accepts the first `limit` bytes written or read and then fails, for testing
// how readers and writers behave when a stream breaks off in the middle.

#include <QBuffer>

namespace qm::test {

class FailingBuffer : public QBuffer {
public:
    explicit FailingBuffer(qint64 limit) : limit_(limit) {}

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    qint64 limit_;
    qint64 moved_ = 0;
};

} // namespace qm::test
