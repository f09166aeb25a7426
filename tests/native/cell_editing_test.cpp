#include <gtest/gtest.h>

#include <vector>

#include "editor/CellEditing.h"

namespace {

CBeatTrack Track(int cells) {
    CBeatTrack track;
    track.SetCellCount(cells);
    return track;
}

const CBeatCell kSnare{"Snare", 131, 7};

TEST(CellEditing, StepsAre25PixelsHigh) {
    EXPECT_EQ(StepAtY(-1, kCellHeight), -1);
    EXPECT_EQ(StepAtY(0, kCellHeight), 0);
    EXPECT_EQ(StepAtY(24, kCellHeight), 0);
    EXPECT_EQ(StepAtY(25, kCellHeight), 1);
    EXPECT_EQ(StepAtY(399, kCellHeight), 15);
}

TEST(CellEditing, BeatLinesEveryStepsPerBeatButNotAboveTheFirstStep) {
    std::vector<int> lines;
    for (int step = 0; step < 16; ++step) {
        if (IsBeatLine(step, 4))
            lines.push_back(step);
    }
    EXPECT_EQ(lines, (std::vector<int>{4, 8, 12}));
    EXPECT_TRUE(IsBeatLine(3, 3));
    // A pattern file may carry 0 steps per beat: no lines, no division by zero.
    EXPECT_FALSE(IsBeatLine(4, 0));
    EXPECT_FALSE(IsBeatLine(4, -2));
}

TEST(CellEditing, InstrumentToolPutsLabelAndIdAndClearsReserved) {
    CBeatCell cell{"", 0, 9};
    ApplyTool(cell, 143);
    EXPECT_EQ(cell, (CBeatCell{"Tambourine", 143, 0}));
}

TEST(CellEditing, EraserEmptiesTheCell) {
    CBeatCell cell = kSnare;
    ApplyTool(cell, TOOL_ERASER);
    EXPECT_EQ(cell, CBeatCell{});
}

TEST(CellEditing, MoveToolAndUnknownIdsLeaveTheCell) {
    for (int tool : {TOOL_MOVE, 0, 3, 128, 151, 180}) {
        CBeatCell cell = kSnare;
        ApplyTool(cell, tool);
        EXPECT_EQ(cell, kSnare) << tool;
    }
}

TEST(CellEditing, HoverPreviewOfEachTool) {
    const CBeatCell empty;
    EXPECT_EQ(GetHoverLook(TOOL_ERASER, kSnare, false, nullptr),
              (HoverLook{true, RgbValue(210, 210, 210), "Snare", RgbValue(255, 255, 255)}));
    EXPECT_EQ(GetHoverLook(TOOL_ERASER, empty, true, nullptr),
              (HoverLook{true, RgbValue(255, 255, 210), "", RgbValue(255, 255, 255)}));
    EXPECT_EQ(GetHoverLook(TOOL_MOVE, empty, false, &kSnare),
              (HoverLook{true, RgbValue(240, 240, 240), "Snare", RgbValue(0, 0, 0)}));
    EXPECT_EQ(GetHoverLook(TOOL_MOVE, kSnare, false, nullptr),
              (HoverLook{true, RgbValue(210, 210, 210), "Snare", RgbValue(0, 0, 0)}));
    EXPECT_FALSE(GetHoverLook(TOOL_MOVE, empty, false, nullptr).bDraw);
    EXPECT_EQ(GetHoverLook(129, kSnare, false, nullptr),
              (HoverLook{true, RgbValue(200, 200, 200), "Kick", RgbValue(0, 0, 0)}));
    EXPECT_EQ(GetHoverLook(150, empty, true, nullptr),
              (HoverLook{true, RgbValue(255, 255, 210), "Conga4", RgbValue(0, 0, 0)}));
}

TEST(CellEditing, MoveWithinATrackCarriesEverythingAndEmptiesTheSource) {
    CBeatTrack track = Track(16);
    track.GetCell(2) = kSnare;
    track.GetCell(9) = CBeatCell{"Kick", 129, 0};
    EXPECT_TRUE(MoveCell(track, 2, track, 9));
    EXPECT_EQ(track.GetCell(9), kSnare);
    EXPECT_EQ(track.GetCell(2), CBeatCell{});
}

TEST(CellEditing, MoveAcrossTracks) {
    CBeatTrack from = Track(16);
    CBeatTrack to = Track(16);
    from.GetCell(5) = kSnare;
    EXPECT_TRUE(MoveCell(from, 5, to, 5));
    EXPECT_EQ(to.GetCell(5), kSnare);
    EXPECT_EQ(from.GetCell(5), CBeatCell{});
}

TEST(CellEditing, MoveOntoItselfChangesNothing) {
    CBeatTrack track = Track(16);
    track.GetCell(3) = kSnare;
    EXPECT_FALSE(MoveCell(track, 3, track, 3));
    EXPECT_EQ(track.GetCell(3), kSnare);
}

TEST(CellEditing, MoveFromACellThatNoLongerExistsIsDropped) {
    CBeatTrack from = Track(16);
    from.GetCell(12) = kSnare;
    from.SetCellCount(8);
    CBeatTrack to = Track(8);
    EXPECT_FALSE(MoveCell(from, 12, to, 3));
    EXPECT_EQ(to, Track(8));
    EXPECT_FALSE(MoveCell(to, 3, from, 8));
    EXPECT_FALSE(MoveCell(to, -1, from, 0));
}

} // namespace
