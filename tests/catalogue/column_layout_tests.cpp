#include "catalogue/column_layout.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

// Grid width for a given rest with the initial ID column widths 40, 40 and 39.
int GridWidthForRest(int rest) {
    return rest + 40 + 40 + 39 + 38;
}

TEST(SoftwareColumnWidths, OddRestGivesNameTheExtraPixel) {
    const TSoftwareColumnWidths w = SoftwareColumnWidths(GridWidthForRest(301), 40, 40, 39);
    EXPECT_EQ(w.name, 176);
    EXPECT_EQ(w.keywords, 125);
}

TEST(SoftwareColumnWidths, EvenRestSplitsFiftyApart) {
    const TSoftwareColumnWidths w = SoftwareColumnWidths(GridWidthForRest(300), 40, 40, 39);
    EXPECT_EQ(w.name, 175);
    EXPECT_EQ(w.keywords, 125);
}

TEST(SoftwareColumnWidths, FollowsTheCurrentIDColumnWidths) {
    const TSoftwareColumnWidths w = SoftwareColumnWidths(500, 100, 10, 1);
    EXPECT_EQ(w.name + w.keywords, 500 - 111 - 38);
    EXPECT_EQ(w.name - w.keywords, 51);
}

TEST(SoftwareColumnWidths, NarrowGridTruncatesTowardZero) {
    // rest = -3: half is -1, not -2, and an odd negative rest still adds the pixel to Name.
    const TSoftwareColumnWidths w = SoftwareColumnWidths(GridWidthForRest(-3), 40, 40, 39);
    EXPECT_EQ(w.name, 25);
    EXPECT_EQ(w.keywords, -26);
    const TSoftwareColumnWidths zero = SoftwareColumnWidths(GridWidthForRest(0), 40, 40, 39);
    EXPECT_EQ(zero.name, 25);
    EXPECT_EQ(zero.keywords, -25);
}

TEST(TableColumnWidths, IDFixedNameFillsCDGrid) {
    EXPECT_EQ(TableColumnWidths(400).id, 50);
    EXPECT_EQ(TableColumnWidths(400).name, 316);
    EXPECT_EQ(TableColumnWidths(84).name, 0);
}

} // namespace
} // namespace qm
