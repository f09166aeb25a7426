#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "skin/ScrollGeometry.h"

using namespace skinsb;

namespace {

constexpr int kArrow = 17;
constexpr int kMinThumb = 6;

ScrollValues Values(int minimum, int maximum, unsigned page, int pos) {
    ScrollValues values{minimum, maximum, page, pos, pos};
    return values;
}

// A vertical bar whose track between the two arrows is trackLength pixels.
BarLayout Layout(const ScrollValues& values, int trackLength, unsigned state = kStateWanted) {
    return LayoutBar(0, trackLength + 2 * kArrow, kArrow, values, kMinThumb, state);
}

std::vector<int> PartCodes(const BarLayout& layout) {
    PartSpan parts[5];
    int count = ListParts(layout, parts);
    std::vector<int> codes;
    for (int i = 0; i < count; ++i)
        codes.push_back(parts[i].part);
    return codes;
}

TEST(ScrollGeometry, MulDivRoundsLikeThePlatform) {
    EXPECT_EQ(MulDivRound(40, 200, 101), 79);
    EXPECT_EQ(MulDivRound(1, 3, 2), 2);
    EXPECT_EQ(MulDivRound(-1, 3, 2), -2);
    EXPECT_EQ(MulDivRound(7, 1, 0), -1);
    EXPECT_EQ(MulDivRound(0x40000000, 4, 1), -1);
}

TEST(ScrollGeometry, PageFortyOfRangeHundredOnTwoHundredPixels) {
    ScrollValues values = Values(0, 100, 40, 0);
    BarLayout top = Layout(values, 200);
    ASSERT_TRUE(top.hasThumb);
    EXPECT_EQ(top.thumbLength, 79);
    EXPECT_EQ(top.thumbStart, kArrow);

    EXPECT_EQ(ClampPos(values, -5), 0);
    EXPECT_EQ(ClampPos(values, 61), 61);
    EXPECT_EQ(ClampPos(values, 62), 61);
    EXPECT_EQ(ClampPos(values, 100), 61);

    values.nPos = 61;
    BarLayout bottom = Layout(values, 200);
    EXPECT_EQ(bottom.ThumbEnd(), bottom.trackEnd);
    EXPECT_EQ(bottom.thumbStart - bottom.trackStart, 121);

    values.nPos = 30;
    BarLayout middle = Layout(values, 200);
    EXPECT_EQ(middle.thumbStart - middle.trackStart, 60); // 30 * 121 / 61, rounded
}

TEST(ScrollGeometry, PartsInPaintingOrderAndHitTest) {
    BarLayout layout = Layout(Values(0, 100, 40, 30), 200);
    EXPECT_EQ(PartCodes(layout),
              (std::vector<int>{kPartLineUp, kPartPageUp, kPartPageDown, kPartThumb, kPartLineDown}));
    PartSpan parts[5];
    ListParts(layout, parts);
    EXPECT_EQ(parts[1].begin, kArrow);
    EXPECT_EQ(parts[1].end, kArrow + 60);
    EXPECT_EQ(parts[3].begin, kArrow + 60);
    EXPECT_EQ(parts[3].end, kArrow + 139);
    EXPECT_EQ(parts[2].begin, kArrow + 139);
    EXPECT_EQ(parts[2].end, kArrow + 200);

    EXPECT_EQ(HitPart(layout, -1), kPartNone);
    EXPECT_EQ(HitPart(layout, 0), kPartLineUp);
    EXPECT_EQ(HitPart(layout, kArrow - 1), kPartLineUp);
    EXPECT_EQ(HitPart(layout, kArrow), kPartPageUp);
    EXPECT_EQ(HitPart(layout, kArrow + 60), kPartThumb);
    EXPECT_EQ(HitPart(layout, kArrow + 138), kPartThumb);
    EXPECT_EQ(HitPart(layout, kArrow + 139), kPartPageDown);
    EXPECT_EQ(HitPart(layout, kArrow + 200), kPartLineDown);
    EXPECT_EQ(HitPart(layout, 2 * kArrow + 199), kPartLineDown);
    EXPECT_EQ(HitPart(layout, 2 * kArrow + 200), kPartNone);
}

TEST(ScrollGeometry, EmptyRangeHidesTheBarAndPinsThePosition) {
    ScrollValues values = Values(0, 0, 0, 0);
    EXPECT_FALSE(WantsShowing(values, kStateWanted, false));
    EXPECT_TRUE(WantsShowing(values, kStateWanted | kStateAlwaysShow, false));
    EXPECT_TRUE(WantsShowing(values, kStateWanted, true));
    EXPECT_EQ(ClampPos(values, 50), 0);
    EXPECT_EQ(ClampPage(values, 30), 1u);
    EXPECT_FALSE(IsEnabled(values));
    EXPECT_TRUE(IsArrowDisabled(values, 0, kPartLineUp));
    EXPECT_FALSE(IsOperable(values, 0));
}

TEST(ScrollGeometry, ShowingRuleOfTheGridRanges) {
    EXPECT_TRUE(WantsShowing(Values(0, 130, 30, 0), 0, false));
    EXPECT_TRUE(WantsShowing(Values(0, 30, 30, 0), 0, false));
    EXPECT_FALSE(WantsShowing(Values(0, 20, 30, 0), 0, false));
    // Range 0..30 with page 30 still moves by one.
    EXPECT_EQ(ClampPos(Values(0, 30, 30, 0), 5), 1);
}

TEST(ScrollGeometry, TrackShorterThanTheThumbIsOnePagePart) {
    // A 5-pixel track cannot hold the 6-pixel minimum thumb.
    BarLayout layout = Layout(Values(0, 100, 1, 0), 5);
    EXPECT_FALSE(layout.hasThumb);
    EXPECT_EQ(PartCodes(layout), (std::vector<int>{kPartLineUp, kPartPageDown, kPartLineDown}));
    EXPECT_EQ(HitPart(layout, kArrow + 2), kPartPageDown);
    // A big enough page is raised to the minimum only when the track allows it.
    EXPECT_EQ(Layout(Values(0, 1000, 1, 0), 200).thumbLength, kMinThumb);
}

TEST(ScrollGeometry, ArrowsThatMeetShareTheBarWithAnOddMiddlePixel) {
    BarLayout odd = LayoutBar(10, 43, kArrow, Values(0, 100, 10, 0), kMinThumb, 0);
    EXPECT_FALSE(odd.hasThumb);
    EXPECT_EQ(odd.trackStart, 26);
    EXPECT_EQ(odd.trackEnd, 27);
    EXPECT_EQ(PartCodes(odd), (std::vector<int>{kPartLineUp, kPartPageDown, kPartLineDown}));
    EXPECT_EQ(HitPart(odd, 25), kPartLineUp);
    EXPECT_EQ(HitPart(odd, 26), kPartPageDown);
    EXPECT_EQ(HitPart(odd, 27), kPartLineDown);

    BarLayout even = LayoutBar(0, 34, kArrow, Values(0, 100, 10, 0), kMinThumb, 0);
    EXPECT_EQ(PartCodes(even), (std::vector<int>{kPartLineUp, kPartLineDown}));
}

TEST(ScrollGeometry, PageZeroGivesAnArrowLongThumbThatReachesTheEnd) {
    ScrollValues values = Values(0, 50, 0, 50);
    BarLayout layout = Layout(values, 100);
    ASSERT_TRUE(layout.hasThumb);
    EXPECT_EQ(layout.thumbLength, kArrow);
    EXPECT_EQ(layout.ThumbEnd(), layout.trackEnd);
    EXPECT_EQ(TrackPosFromThumb(values, layout, layout.trackEnd - layout.thumbLength), 50);
}

TEST(ScrollGeometry, DisabledBarHasNoThumb) {
    EXPECT_FALSE(Layout(Values(0, 30, 40, 0), 200).hasThumb);
    EXPECT_FALSE(Layout(Values(0, 100, 40, 0), 200, kStateUpDisabled | kStateDownDisabled).hasThumb);
    EXPECT_TRUE(Layout(Values(0, 100, 40, 0), 200, kStateUpDisabled).hasThumb);
    EXPECT_FALSE(IsOperable(Values(0, 100, 40, 0), kStateUpDisabled | kStateDownDisabled));
    EXPECT_TRUE(IsOperable(Values(0, 0, 0, 0), kStateAlwaysShow));
}

TEST(ScrollGeometry, ThumbDragFollowsThePointerInsideTheSnapArea) {
    ScrollValues values = Values(0, 100, 40, 30);
    BarLayout layout = LayoutBar(0, 234, kArrow, values, kMinThumb, 0);
    SbRect bar{100, 0, 117, 234};
    int grab = 10; // the pointer was 10 pixels below the thumb's start
    int atPress = layout.thumbStart;
    ASSERT_EQ(atPress, kArrow + 60);

    EXPECT_EQ(DragThumbStart(layout, bar, 108, 77, grab, atPress), 67);
    // Clamped to the track.
    EXPECT_EQ(DragThumbStart(layout, bar, 108, 0, grab, atPress), kArrow);
    EXPECT_EQ(DragThumbStart(layout, bar, 108, 233, grab, atPress), kArrow + 121);
    // 47 pixels below the bar still drags, 49 snaps back.
    EXPECT_EQ(DragThumbStart(layout, bar, 108, 234 + 47, grab, atPress), kArrow + 121);
    EXPECT_EQ(DragThumbStart(layout, bar, 108, 234 + 48, grab, atPress), atPress);
    EXPECT_EQ(DragThumbStart(layout, bar, 108, -48, grab, atPress), kArrow);
    EXPECT_EQ(DragThumbStart(layout, bar, 108, -49, grab, atPress), atPress);
    // 24 pixels to a side drags, 25 snaps back.
    EXPECT_EQ(DragThumbStart(layout, bar, 100 - 24, 77, grab, atPress), 67);
    EXPECT_EQ(DragThumbStart(layout, bar, 100 - 25, 77, grab, atPress), atPress);
    EXPECT_EQ(DragThumbStart(layout, bar, 117 + 23, 77, grab, atPress), 67);
    EXPECT_EQ(DragThumbStart(layout, bar, 117 + 24, 77, grab, atPress), atPress);
}

TEST(ScrollGeometry, SnapAreaReachesFurtherAlongTheBarThanAcross) {
    SbRect bar{100, 0, 117, 234};
    EXPECT_TRUE(InSnapArea(bar, 108, 234 + 47));
    EXPECT_FALSE(InSnapArea(bar, 108, 234 + 48));
    EXPECT_TRUE(InSnapArea(bar, 100 - 24, 50));
    EXPECT_FALSE(InSnapArea(bar, 100 - 25, 50));
}

TEST(ScrollGeometry, TrackPositionsCoverTheWholeRange) {
    ScrollValues values = Values(0, 100, 40, 0);
    BarLayout layout = Layout(values, 200);
    EXPECT_EQ(TrackPosFromThumb(values, layout, layout.trackStart), 0);
    EXPECT_EQ(TrackPosFromThumb(values, layout, layout.trackStart + 60), 30);
    EXPECT_EQ(TrackPosFromThumb(values, layout, layout.trackStart + 121), 61);

    // A range that does not start at 0 keeps its minimum.
    ScrollValues shifted = Values(-50, 50, 40, -50);
    BarLayout shiftedLayout = Layout(shifted, 200);
    EXPECT_EQ(TrackPosFromThumb(shifted, shiftedLayout, shiftedLayout.trackStart), -50);
    EXPECT_EQ(TrackPosFromThumb(shifted, shiftedLayout, shiftedLayout.trackStart + 121), 11);
}

TEST(ScrollGeometry, EveryThumbPixelRoundTrips) {
    ScrollValues values = Values(0, 130, 30, 0);
    BarLayout layout = Layout(values, 150);
    for (int pos = 0; pos <= 101; ++pos) {
        values.nPos = pos;
        BarLayout at = Layout(values, 150);
        int back = TrackPosFromThumb(values, layout, at.thumbStart);
        EXPECT_LE(std::abs(back - pos), 1) << pos;
    }
}

TEST(ScrollGeometry, VerticalBarTakesItsWidthOffTheRight) {
    SbRect client{1, 1, 101, 301};
    ClientFit fit = FitBar(client, true, 17, false);
    EXPECT_TRUE(fit.vShown);
    EXPECT_EQ(fit.client, (SbRect{1, 1, 84, 301}));

    ClientFit left = FitBar(client, true, 17, true);
    EXPECT_EQ(left.client, (SbRect{18, 1, 101, 301}));

    ClientFit narrow = FitBar(SbRect{0, 0, 16, 100}, true, 17, false);
    EXPECT_FALSE(narrow.vShown);
    EXPECT_EQ(narrow.client, (SbRect{0, 0, 16, 100}));
}

TEST(ScrollGeometry, BarRectanglesInsideTheFrame) {
    BarFrame frame;
    frame.width = 102;
    frame.height = 302;
    frame.insets = {1, 1, 1, 1};
    frame.vShown = true;
    frame.vWidth = 17;
    EXPECT_EQ(BarRect(frame), (SbRect{84, 1, 101, 301}));

    frame.leftScrollBar = true;
    EXPECT_EQ(BarRect(frame), (SbRect{1, 1, 18, 301}));
}

} // namespace
