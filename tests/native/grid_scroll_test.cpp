#include <gtest/gtest.h>

#include "editor/GridScroll.h"

namespace {

TEST(GridScroll, SixteenStepsInA300PixelGrid) {
    EXPECT_EQ(ComputeGridScrollRange(300, 16 * 25), (GridScrollRange{130, 30}));
}

TEST(GridScroll, ColumnsAsTallAsTheGridStillMoveByOne) {
    EXPECT_EQ(ComputeGridScrollRange(300, 300), (GridScrollRange{30, 30}));
}

TEST(GridScroll, ShorterColumnsGetTheirOwnPageOrNoBar) {
    // While the columns are created they are shorter than the grid.
    EXPECT_EQ(ComputeGridScrollRange(300, 290), (GridScrollRange{20, 20}));
    EXPECT_EQ(ComputeGridScrollRange(300, 270), (GridScrollRange{}));
    EXPECT_EQ(ComputeGridScrollRange(300, 0), (GridScrollRange{}));
}

TEST(GridScroll, RequestsMoveByHalfACellOrAPage) {
    EXPECT_EQ(NextGridScrollPos(kScrollLineUp, 50, 30, 0), 38);
    EXPECT_EQ(NextGridScrollPos(kScrollLineDown, 50, 30, 0), 62);
    EXPECT_EQ(NextGridScrollPos(kScrollPageUp, 50, 30, 0), 20);
    EXPECT_EQ(NextGridScrollPos(kScrollPageDown, 50, 30, 0), 80);
    EXPECT_EQ(NextGridScrollPos(kScrollThumbTrack, 50, 30, 77), 77);
    for (int code : {4, 6, 7, 8})
        EXPECT_EQ(NextGridScrollPos(code, 50, 30, 77), 50) << code;
}

TEST(GridScroll, OneWheelMessageMovesTwelvePixelsWhateverTheDelta) {
    EXPECT_EQ(WheelGridScrollPos(24, -120), 36);
    EXPECT_EQ(WheelGridScrollPos(24, -480), 36);
    EXPECT_EQ(WheelGridScrollPos(24, -1), 36);
    EXPECT_EQ(WheelGridScrollPos(24, 0), 36);
    EXPECT_EQ(WheelGridScrollPos(24, 1), 12);
    EXPECT_EQ(WheelGridScrollPos(24, 360), 12);
}

TEST(GridScroll, FiveColumnsShareWhatTheStepColumnLeaves) {
    EXPECT_EQ(TrackColumnWidth(352), 64);
    EXPECT_EQ(TrackColumnWidth(334), 60);
    EXPECT_EQ(TrackColumnWidth(20), 0);
}

} // namespace
