// Shade arithmetic, selection bands, animation frames and placement of the
// skinned controls.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "skin/SkinMath.h"

using namespace skin;

namespace {

constexpr Colour kWhite = MakeColour(255, 255, 255);

TEST(SkinColour, ChannelsLandInThePlatformLayout) {
    EXPECT_EQ(MakeColour(0x12, 0x34, 0x56), 0x00563412u);
    EXPECT_EQ(Red(0x00563412u), 0x12);
    EXPECT_EQ(Green(0x00563412u), 0x34);
    EXPECT_EQ(Blue(0x00563412u), 0x56);
}

TEST(SkinColour, LightenMovesOnlyChannelsWithRoom) {
    EXPECT_EQ(Lighten(MakeColour(0, 100, 204), 51), MakeColour(51, 151, 255));
    // 205 + 51 = 256 does not fit: left as it is, not clamped to 255.
    EXPECT_EQ(Lighten(MakeColour(205, 250, 255), 51), MakeColour(205, 250, 255));
    EXPECT_EQ(Lighten(kWhite, 51), kWhite);
}

TEST(SkinColour, DarkenMovesOnlyChannelsWithRoom) {
    EXPECT_EQ(Darken(MakeColour(51, 100, 255), 51), MakeColour(0, 49, 204));
    // 50 - 51 would go below zero: left as it is, not clamped to 0.
    EXPECT_EQ(Darken(MakeColour(50, 0, 1), 51), MakeColour(50, 0, 1));
}

TEST(SkinColour, MidColourRoundsTowardsTheFirstWhenFalling) {
    // 240 + ((160 - 240) >> 1) = 200; 255 + ((0 - 255) >> 1) = 255 - 128 = 127.
    EXPECT_EQ(MidColour(MakeColour(240, 255, 10), MakeColour(160, 0, 15)), MakeColour(200, 127, 12));
    EXPECT_EQ(MidColour(MakeColour(160, 160, 160), MakeColour(105, 105, 105)), MakeColour(132, 132, 132));
}

SystemColours ClassicSystem() {
    SystemColours s;
    s.buttonFace = MakeColour(192, 192, 192);
    s.buttonShadow = MakeColour(128, 128, 128);
    s.darkShadow = MakeColour(0, 0, 0);
    s.buttonHighlight = kWhite;
    return s;
}

TEST(SliderShadesTest, WhiteFaceGivesWhiteLightsAndGreys204And153) {
    SliderShades s = ComputeSliderShades(kWhite, ClassicSystem());
    EXPECT_EQ(s.light1, kWhite);
    EXPECT_EQ(s.light2, kWhite);
    EXPECT_EQ(s.dark1, MakeColour(204, 204, 204));
    EXPECT_EQ(s.dark2, MakeColour(153, 153, 153));
}

TEST(SliderShadesTest, GreyFaceStopsLighteningWhereTheStepNoLongerFits) {
    SliderShades s = ComputeSliderShades(MakeColour(192, 192, 192), ClassicSystem());
    EXPECT_EQ(s.light1, MakeColour(243, 243, 243));
    EXPECT_EQ(s.light2, MakeColour(243, 243, 243));
    EXPECT_EQ(s.dark1, MakeColour(141, 141, 141));
    EXPECT_EQ(s.dark2, MakeColour(90, 90, 90));
}

TEST(SliderShadesTest, MiddleShadesComeFromTheSystemNotTheFace) {
    SystemColours system = ClassicSystem();
    SliderShades white = ComputeSliderShades(kWhite, system);
    SliderShades dark = ComputeSliderShades(MakeColour(10, 20, 30), system);
    EXPECT_EQ(white.shadowMid, MakeColour(160, 160, 160));
    EXPECT_EQ(white.dkShadowMid, MakeColour(64, 64, 64));
    EXPECT_EQ(white.hilight, kWhite);
    EXPECT_EQ(dark.shadowMid, white.shadowMid);
    EXPECT_EQ(dark.dkShadowMid, white.dkShadowMid);
}

TEST(SliderShadesTest, MixedFaceShadesEachChannelOnItsOwn) {
    SliderShades s = ComputeSliderShades(MakeColour(100, 150, 200), ClassicSystem());
    EXPECT_EQ(s.light1, MakeColour(151, 201, 251));
    EXPECT_EQ(s.light2, MakeColour(202, 252, 251));
    EXPECT_EQ(s.dark1, MakeColour(49, 99, 149));
    EXPECT_EQ(s.dark2, MakeColour(49, 48, 98));
}

TEST(Grip, GrowsWithTheThumbWidth) {
    for (int w : {0, 3, 5}) {
        EXPECT_EQ(GripFor(w).light, 0) << w;
        EXPECT_EQ(GripFor(w).dark, 0) << w;
    }
    for (int w : {6, 8, 9}) {
        EXPECT_EQ(GripFor(w).light, 2) << w;
        EXPECT_EQ(GripFor(w).dark, 2) << w;
    }
    for (int w : {10, 11, 40}) {
        EXPECT_EQ(GripFor(w).light, 4) << w;
        EXPECT_EQ(GripFor(w).dark, 3) << w;
    }
}

TEST(Selection, SpanTruncatesBothEnds) {
    auto span = SelectionSpan(100, 200, 30, 300, 10, 100);
    ASSERT_TRUE(span);
    // 10 + 70 * 100 / 270 = 10 + 25 (25.9 truncated); 10 + 170 * 100 / 270 = 10 + 62.
    EXPECT_EQ(span->begin, 35);
    EXPECT_EQ(span->end, 72);
}

TEST(Selection, EmptySelectionOrRangeShowsNothing) {
    EXPECT_FALSE(SelectionSpan(50, 50, 0, 100, 0, 100));
    EXPECT_FALSE(SelectionSpan(60, 50, 0, 100, 0, 100));
    EXPECT_FALSE(SelectionSpan(0, 10, 5, 5, 0, 100));
    EXPECT_FALSE(SelectionSpan(0, 10, 9, 5, 0, 100));
}

TEST(Selection, WholeIntRangeDoesNotOverflow) {
    auto span = SelectionSpan(0, INT_MAX, INT_MIN, INT_MAX, 0, 1000);
    ASSERT_TRUE(span);
    EXPECT_EQ(span->begin, 500);
    EXPECT_EQ(span->end, 1000);
}

std::vector<int> Play(int direction) {
    std::vector<int> shown;
    int frame = FirstAniFrame(direction);
    for (int guard = 0; guard < 100; ++guard) {
        shown.push_back(frame);
        if (AdvanceAniFrame(direction, frame)) {
            EXPECT_EQ(frame, direction == kAniForward ? kAniFrameCount : 0) << "the end frame";
            return shown;
        }
    }
    ADD_FAILURE() << "the play never ended";
    return shown;
}

TEST(AniFrames, ForwardShowsThirteenFramesBackwardTwelve) {
    EXPECT_EQ(Play(kAniForward), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(Play(kAniBackward), (std::vector<int>{12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
}

TEST(AniFrames, UnknownDirectionHasNoFirstFrameAndNeverSteps) {
    EXPECT_EQ(FirstAniFrame(0), -1);
    EXPECT_EQ(FirstAniFrame(3), -1);
    int frame = 5;
    EXPECT_FALSE(AdvanceAniFrame(3, frame));
    EXPECT_EQ(frame, 5);
}

TEST(Placement, CentresOverTheBox) {
    Point p = CentredOrigin(500, 370, Box{100, 50, 400, 350}, Box{0, 0, 1024, 768});
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 15);
    p = CentredOrigin(500, 370, Box{0, 0, 1024, 768}, Box{0, 0, 1024, 768});
    EXPECT_EQ(p.x, 262);
    EXPECT_EQ(p.y, 199);
}

TEST(Placement, StaysInsideTheWorkArea) {
    Point p = CentredOrigin(200, 100, Box{900, 700, 1000, 760}, Box{0, 0, 1024, 768});
    EXPECT_EQ(p.x, 824);
    EXPECT_EQ(p.y, 668);
    p = CentredOrigin(200, 100, Box{-300, -200, -100, -100}, Box{0, 30, 1024, 768});
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 30);
}

} // namespace
