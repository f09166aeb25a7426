// The beat change popup's arithmetic: the limits of the beat.
#include <gtest/gtest.h>

#include "mainwnd/BeatChangeMath.h"

namespace {

using namespace beatchange;

TEST(BeatChangeMath, BeatsStopAt24And2) {
    unsigned beats = 4;
    for (int i = 0; i < 20; ++i)
        beats = BeatsUp(beats);
    EXPECT_EQ(beats, 24u);
    EXPECT_EQ(BeatsUp(24), 24u);
    EXPECT_EQ(BeatsDown(3), 2u);
    EXPECT_EQ(BeatsDown(2), 2u);
    for (unsigned b = 3; b <= 24; ++b)
        EXPECT_EQ(BeatsDown(b), b - 1);
}

TEST(BeatChangeMath, NoteDoublesAndHalvesBetween4And16) {
    EXPECT_EQ(NoteUp(4), 8u);
    EXPECT_EQ(NoteUp(8), 16u);
    EXPECT_EQ(NoteUp(16), 16u);
    EXPECT_EQ(NoteDown(16), 8u);
    EXPECT_EQ(NoteDown(8), 4u);
    EXPECT_EQ(NoteDown(4), 4u);
}

} // namespace
