// The beat change popup's arithmetic: limits of the beat and the heights of
// the grow and shrink animation frame by frame.
#include <gtest/gtest.h>

#include <vector>

#include "mainwnd/BeatChangeMath.h"

namespace {

using namespace beatchange;

std::vector<int> Heights(Animation& animation, int height) {
    std::vector<int> heights;
    while (!animation.Done() && heights.size() < 100) {
        height = animation.Next(height);
        heights.push_back(height);
    }
    return heights;
}

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

TEST(BeatChangeMath, OpeningGrowsBy15_13_11AndSoOn) {
    Animation animation;
    animation.Open(102);
    EXPECT_EQ(Heights(animation, Animation::kCollapsedHeight),
              (std::vector<int>{53, 66, 77, 86, 93, 98, 101, 102}));
}

TEST(BeatChangeMath, OpeningPastFiveFramesGrowsOnePixelAFrame) {
    Animation animation;
    animation.Open(110);
    EXPECT_EQ(Heights(animation, Animation::kCollapsedHeight),
              (std::vector<int>{53, 66, 77, 86, 93, 98, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110}));
}

TEST(BeatChangeMath, OpeningStopsAtTheFullHeight) {
    Animation animation;
    animation.Open(60);
    EXPECT_EQ(Heights(animation, Animation::kCollapsedHeight), (std::vector<int>{53, 60}));
    EXPECT_EQ(animation.GetMode(), Animation::kOpening);
}

TEST(BeatChangeMath, ClosingShrinksBy1_3_5UpTo15) {
    Animation animation;
    animation.Open(60);
    Heights(animation, Animation::kCollapsedHeight);
    animation.Close();
    EXPECT_EQ(Heights(animation, 60), (std::vector<int>{59, 56, 51, 44, 38}));
    EXPECT_EQ(animation.GetMode(), Animation::kClosing);
}

TEST(BeatChangeMath, ClosingFromTallShrinksWithGrowingSteps) {
    Animation animation;
    animation.Open(200);
    animation.Close();
    EXPECT_EQ(animation.GetFullHeight(), 200);
    EXPECT_EQ(Heights(animation, 200),
              (std::vector<int>{199, 196, 191, 184, 175, 164, 151, 136, 121, 106, 91, 76, 61, 46, 38}));
}

TEST(BeatChangeMath, CloseDuringOpeningShrinksFromTheCurrentHeight) {
    Animation animation;
    animation.Open(102);
    int height = animation.Next(Animation::kCollapsedHeight);
    height = animation.Next(height);
    ASSERT_EQ(height, 66);
    animation.Close();
    EXPECT_EQ(Heights(animation, height), (std::vector<int>{65, 62, 57, 50, 41, 38}));
    EXPECT_EQ(animation.GetFullHeight(), 102);
}

} // namespace
