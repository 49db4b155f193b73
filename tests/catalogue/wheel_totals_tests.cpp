#include "catalogue/wheel_totals.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace qm {
namespace {

std::vector<TWheelKey> FeedAll(TWheelTotals& totals, const std::vector<int>& deltas) {
    std::vector<TWheelKey> keys;
    for (int delta : deltas)
        keys.push_back(totals.Feed(delta));
    return keys;
}

using enum TWheelKey;

TEST(WheelTotals, OneStandardNotchIsOneRow) {
    TWheelTotals totals;
    EXPECT_EQ(totals.Feed(120), wkUp);
    EXPECT_EQ(totals.Feed(-120), wkDown);
    EXPECT_EQ(totals.WheelUpTotal(), 0);
    EXPECT_EQ(totals.WheelDownTotal(), 0);
}

TEST(WheelTotals, HighResolutionDeltasAddUpToANotch) {
    TWheelTotals totals;
    EXPECT_EQ(FeedAll(totals, {40, 40, 40, 40}), (std::vector{wkNone, wkNone, wkUp, wkNone}));
    EXPECT_EQ(totals.WheelUpTotal(), 40);
    EXPECT_EQ(FeedAll(totals, {-40, -40, -40}), (std::vector{wkNone, wkNone, wkDown}));
}

TEST(WheelTotals, ReachingTheNotchResetsRatherThanSubtracts) {
    TWheelTotals totals;
    EXPECT_EQ(FeedAll(totals, {360, 100}), (std::vector{wkUp, wkNone}));
    EXPECT_EQ(totals.WheelUpTotal(), 100);
    EXPECT_EQ(FeedAll(totals, {-90, -150, -110}), (std::vector{wkNone, wkDown, wkNone}));
    EXPECT_EQ(totals.WheelDownTotal(), -110);
}

TEST(WheelTotals, TurningBackDropsThePartTotalOfTheOtherDirection) {
    TWheelTotals totals;
    EXPECT_EQ(FeedAll(totals, {80, -40, 80}), (std::vector{wkNone, wkNone, wkNone}));
    EXPECT_EQ(totals.WheelUpTotal(), 80);
    EXPECT_EQ(totals.WheelDownTotal(), 0);
    EXPECT_EQ(totals.Feed(40), wkUp);
}

TEST(WheelTotals, ZeroDeltaChangesNothing) {
    TWheelTotals totals;
    totals.Feed(-60);
    EXPECT_EQ(totals.Feed(0), wkNone);
    EXPECT_EQ(totals.WheelDownTotal(), -60);
    EXPECT_EQ(totals.WheelUpTotal(), 0);
}

TEST(WheelTotals, DeltasBeyondSixteenBitsCannotOverflowTheTotals) {
    TWheelTotals totals;
    EXPECT_EQ(totals.Feed(std::numeric_limits<int>::max()), wkUp);
    EXPECT_EQ(totals.Feed(std::numeric_limits<int>::min()), wkDown);
    EXPECT_EQ(totals.Feed(119), wkNone);
    EXPECT_EQ(totals.Feed(1), wkUp);
}

} // namespace
} // namespace qm
