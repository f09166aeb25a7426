// Scrolling arithmetic of the pattern grid, apart from its window.
#pragma once

#include "model/BeatPattern.h"

// Pixels one line of scrolling or one wheel notch moves: half a cell.
inline constexpr int kGridLineScroll = 12;
// Width of the step-number column at the grid's right edge.
inline constexpr int kStepColumnWidth = 30;

struct GridScrollRange {
    int nMax = 0;
    int nPage = 0;

    bool operator==(const GridScrollRange&) const = default;
};

// The vertical bar's range (0 to nMax) and page for the columns' height in a
// grid of the given client height.
GridScrollRange ComputeGridScrollRange(int clientHeight, int columnHeight);

// Scroll request codes, as the platform numbers them.
inline constexpr int kScrollLineUp = 0;
inline constexpr int kScrollLineDown = 1;
inline constexpr int kScrollPageUp = 2;
inline constexpr int kScrollPageDown = 3;
inline constexpr int kScrollThumbTrack = 5;

// The position a scroll request asks for, before the bar clamps it.
int NextGridScrollPos(int code, int pos, int page, int trackPos);
// The position one wheel message asks for, whatever the size of its delta.
int WheelGridScrollPos(int pos, int wheelDelta);

// Width of each track column in a grid of the given client width.
int TrackColumnWidth(int clientWidth);
