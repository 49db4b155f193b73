#include "framework/core/exceptions.h"
#include "framework/core/muldiv.h"
#include "framework/core/stream.h"
#include "tests/support/failing_buffer.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(MulDiv, RoundsHalfAwayFromZero) {
    EXPECT_EQ(MulDiv(3, 1, 2), 2);
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(MulDiv(5, 1, 3), 2);
    EXPECT_EQ(MulDiv(4, 1, 3), 1);
    EXPECT_EQ(MulDiv(3, -1, 2), -2);
    EXPECT_EQ(MulDiv(3, 1, -2), -2);
}

TEST(MulDiv, KeepsPrecisionBeyond32BitIntermediate) {
    EXPECT_EQ(MulDiv(1 << 30, 1 << 20, 1 << 25), 1 << 25);
}

TEST(MulDiv, ReportsDivisionByZeroAndOverflowAsMinusOne) {
    EXPECT_EQ(MulDiv(7, 7, 0), -1);
    EXPECT_EQ(MulDiv(1 << 30, 1 << 30, 1), -1);
}

TEST(Stream, ReadCheckThrowsOnShortData) {
    QByteArray bytes("abc");
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    char out[4];
    ReadCheck(buffer, out, 2);
    EXPECT_EQ(ReadByte(buffer), 'c');
    try {
        ReadByte(buffer);
        FAIL() << "reading past the end must throw";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Premature end of data");
    }
}

TEST(Stream, WriteCheckThrowsWhenTheDeviceStopsAccepting) {
    test::FailingBuffer buffer(3);
    buffer.open(QIODevice::WriteOnly);
    WriteCheck(buffer, "ab", 2);
    EXPECT_THROW(WriteCheck(buffer, "cd", 2), EInvalidGraphic);
}

} // namespace
} // namespace qm
