// The pop-up animation's heights frame by frame, with the beat change popup's
// shape and the value spin's.
#include <gtest/gtest.h>

#include <vector>

#include "skin/PopupAnimation.h"

namespace {

using skin::PopupAnimation;

// The beat change popup: from a 38 pixel strip by 15, 13, 11 ... 1.
constexpr PopupAnimation::Shape kBeatChange{38, 15, 1, 2, false};
// The value spin: from its 29 pixel home by 7, 5, 3, 1 at each edge.
constexpr PopupAnimation::Shape kValueSpin{29, 14, 2, 4, true};

std::vector<int> Heights(PopupAnimation& animation, int height) {
    std::vector<int> heights;
    while (!animation.Done() && heights.size() < 100) {
        height = animation.Next(height);
        heights.push_back(height);
    }
    return heights;
}

TEST(PopupAnimation, BeatChangeOpensBy15_13_11ThenOnePixelAFrame) {
    PopupAnimation animation(kBeatChange);
    animation.Open(102);
    EXPECT_EQ(Heights(animation, 38), (std::vector<int>{53, 66, 77, 86, 93, 98, 101, 102}));
    animation.Open(110);
    EXPECT_EQ(Heights(animation, 38),
              (std::vector<int>{53, 66, 77, 86, 93, 98, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110}));
}

TEST(PopupAnimation, BeatChangeOpeningStopsAtTheOpenHeight) {
    PopupAnimation animation(kBeatChange);
    animation.Open(60);
    EXPECT_EQ(Heights(animation, 38), (std::vector<int>{53, 60}));
    EXPECT_EQ(animation.GetMode(), PopupAnimation::kOpening);
}

TEST(PopupAnimation, BeatChangeClosesBy1_3_5UpTo15AndStopsOnTheStrip) {
    PopupAnimation animation(kBeatChange);
    animation.Open(60);
    Heights(animation, 38);
    animation.Close();
    EXPECT_EQ(Heights(animation, 60), (std::vector<int>{59, 56, 51, 44, 38}));
    EXPECT_EQ(animation.GetMode(), PopupAnimation::kClosing);
    animation.Open(200);
    animation.Close();
    EXPECT_EQ(animation.GetOpenHeight(), 200);
    EXPECT_EQ(Heights(animation, 200),
              (std::vector<int>{199, 196, 191, 184, 175, 164, 151, 136, 121, 106, 91, 76, 61, 46, 38}));
}

TEST(PopupAnimation, CloseDuringOpeningShrinksFromTheCurrentHeight) {
    PopupAnimation animation(kBeatChange);
    animation.Open(102);
    int height = animation.Next(38);
    height = animation.Next(height);
    ASSERT_EQ(height, 66);
    animation.Close();
    EXPECT_EQ(Heights(animation, height), (std::vector<int>{65, 62, 57, 50, 41, 38}));
    EXPECT_EQ(animation.GetOpenHeight(), 102);
}

TEST(PopupAnimation, ValueSpinOpensBy14_10_6_2AndStopsAtTheOpenHeight) {
    PopupAnimation animation(kValueSpin);
    animation.Open(60);
    EXPECT_EQ(Heights(animation, 29), (std::vector<int>{43, 53, 59, 60}));
    animation.Open(70);
    EXPECT_EQ(Heights(animation, 29), (std::vector<int>{43, 53, 59, 61, 63, 65, 67, 69, 70}));
}

TEST(PopupAnimation, ValueSpinClosesBy2_6_10_14PastItsHome) {
    PopupAnimation animation(kValueSpin);
    animation.Open(60);
    Heights(animation, 29);
    animation.Close();
    EXPECT_EQ(Heights(animation, 60), (std::vector<int>{58, 52, 42, 28}));
    animation.Close();
    EXPECT_EQ(Heights(animation, 100), (std::vector<int>{98, 92, 82, 68, 54, 40, 26}));
    animation.Close();
    EXPECT_EQ(Heights(animation, 31), (std::vector<int>{29}));
}

} // namespace
