// What the pattern grid and its columns share while the editor is open: the
// steps shown, where the beat lines fall, the edit tool and the height of a
// cell. The grid owns it and hands it to its columns, which only read it.
#pragma once

#include "model/BeatPattern.h"

// Edit tools other than the instruments (whose tool is their sound id).
inline constexpr int TOOL_ERASER = 1;
inline constexpr int TOOL_MOVE = 2;

inline constexpr int kCellHeight = 25;

class CGridState {
public:
    int m_nStepCount = kDefaultStepCount;
    int m_nStepsPerBeat = kDefaultStepsPerBeat;
    // An instrument's sound id puts it into a clicked cell, TOOL_ERASER empties
    // the cell, TOOL_MOVE drags its content to another cell.
    int m_nCurTool = kFirstInstrumentId;
    int m_nCellHeight = kCellHeight;
};
