#include "editor/CellEditing.h"

namespace {

bool HasCell(const CBeatTrack& track, int index) {
    return index >= 0 && index < track.GetCellCount();
}

} // namespace

int StepAtY(int y, int cellHeight) {
    return y < 0 || cellHeight <= 0 ? -1 : y / cellHeight;
}

bool IsBeatLine(int step, int stepsPerBeat) {
    return step > 0 && stepsPerBeat > 0 && step % stepsPerBeat == 0;
}

void ApplyTool(CBeatCell& cell, int tool) {
    if (tool == TOOL_ERASER) {
        cell = CBeatCell{};
    } else if (IsInstrumentId(tool)) {
        cell.m_strName = GetSoundLabel(tool);
        cell.m_nReserved = 0;
        cell.m_nSoundId = tool;
    }
}

HoverLook GetHoverLook(int tool, const CBeatCell& cell, bool shiftPaint, const CBeatCell* moving) {
    constexpr unsigned kBlack = RgbValue(0, 0, 0);
    constexpr unsigned kWhite = RgbValue(255, 255, 255);
    constexpr unsigned kShiftFill = RgbValue(255, 255, 210);
    if (tool == TOOL_ERASER)
        return {true, shiftPaint ? kShiftFill : RgbValue(210, 210, 210), cell.m_strName, kWhite};
    if (tool == TOOL_MOVE) {
        if (moving)
            return {true, RgbValue(240, 240, 240), moving->m_strName, kBlack};
        if (cell.m_nSoundId != 0)
            return {true, RgbValue(210, 210, 210), cell.m_strName, kBlack};
        return {};
    }
    return {true, shiftPaint ? kShiftFill : RgbValue(200, 200, 200), GetSoundLabel(tool), kBlack};
}

bool MoveCell(CBeatTrack& from, int fromIndex, CBeatTrack& to, int toIndex) {
    if (!HasCell(from, fromIndex) || !HasCell(to, toIndex) || (&from == &to && fromIndex == toIndex))
        return false;
    to.GetCell(toIndex) = from.GetCell(fromIndex);
    from.GetCell(fromIndex) = CBeatCell{};
    return true;
}
