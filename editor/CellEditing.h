// Editing rules of the pattern grid's cells, apart from the windows that show
// them: where the steps lie, what each tool does to a cell, how a hovered cell
// previews the tool, and how a cell's content moves.
#pragma once

#include <string>

#include "editor/GridState.h"
#include "model/BeatPattern.h"

// A colour as the platform stores it (0x00BBGGRR).
constexpr unsigned RgbValue(unsigned red, unsigned green, unsigned blue) {
    return red | (green << 8) | (blue << 16);
}

// The step under a y coordinate of a column, -1 above the first one.
int StepAtY(int y, int cellHeight);
// A beat line lies above this step.
bool IsBeatLine(int step, int stepsPerBeat);

// Puts the eraser or an instrument into a cell; any other tool changes nothing
// here (the move tool moves, and an unknown id must not reach a cell).
void ApplyTool(CBeatCell& cell, int tool);

// How a hovered cell previews the current tool.
struct HoverLook {
    bool bDraw = false;
    unsigned crFill = 0;
    std::string strText;
    unsigned crText = 0;

    bool operator==(const HoverLook&) const = default;
};
// moving is the cell being moved, null when no move is in progress.
HoverLook GetHoverLook(int tool, const CBeatCell& cell, bool shiftPaint, const CBeatCell* moving);

// Moves label, sound id and reserved word of one cell into another and empties
// the source. Nothing changes (false) when the source no longer exists, the
// target does not exist, or both are the same cell.
bool MoveCell(CBeatTrack& from, int fromIndex, CBeatTrack& to, int toIndex);
