// The tempo page jumps: the next tempo whose tick drifts under a second an
// hour, with 30 and 300 as the bounds.
#include <gtest/gtest.h>

#include "mainwnd/TempoJump.h"

namespace {

using tempojump::FindAccurateTempo;

TEST(TempoJump, UpFrom100QuarterIs101) {
    // 594 ms ticks: 360 ms fast per hour.
    EXPECT_EQ(FindAccurateTempo(100, true, 4), 101);
}

TEST(TempoJump, BoundsAreReachedAndKept) {
    EXPECT_EQ(FindAccurateTempo(299, true, 4), 300);
    EXPECT_EQ(FindAccurateTempo(300, true, 4), 300);
    EXPECT_EQ(FindAccurateTempo(31, false, 4), 30);
    EXPECT_EQ(FindAccurateTempo(30, false, 4), 30);
}

TEST(TempoJump, SkipsTemposThatDriftASecondOrMore) {
    EXPECT_EQ(FindAccurateTempo(120, false, 4), 113);
    EXPECT_EQ(FindAccurateTempo(150, true, 4), 155);
    EXPECT_EQ(FindAccurateTempo(150, false, 4), 146);
}

TEST(TempoJump, FinerTicksLeaveFewerAccurateTempos) {
    EXPECT_EQ(FindAccurateTempo(200, true, 8), 219);
    EXPECT_EQ(FindAccurateTempo(200, false, 8), 184);
    // User beat mode ticks in sixteenths.
    EXPECT_EQ(FindAccurateTempo(100, true, 16), 120);
    EXPECT_EQ(FindAccurateTempo(100, false, 16), 92);
    EXPECT_EQ(FindAccurateTempo(31, true, 16), 40);
    EXPECT_EQ(FindAccurateTempo(250, true, 16), 283);
}

TEST(TempoJump, NoAccurateTempoLeftGoesToTheBound) {
    // Between 283 and 300 no sixteenth tick is accurate enough.
    EXPECT_EQ(FindAccurateTempo(284, true, 16), 300);
    EXPECT_EQ(FindAccurateTempo(299, false, 16), 283);
}

} // namespace
