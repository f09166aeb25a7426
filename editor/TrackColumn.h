// One track of the pattern grid: the track's cells stacked from top to bottom,
// one 25-pixel cell per step, edited with the current tool (an instrument, the
// eraser, or the move tool that drags a cell's content to another cell, also
// into another column).
//
// Window thread only. The preview's step marks (MarkStep, UnmarkStep) are set
// from the window thread too: the preview hands its step over by a message,
// so that no drawing races a resize or an edit of the cells.
#pragma once

#include "editor/GridColumn.h"
#include "model/BeatPattern.h"

class CTrackColumn;

// The drag in progress across the grid's columns: one at a time, so the grid
// owns one and hands it to each of its columns.
struct CCellDrag {
    bool bShiftPaint = false;
    bool bMoving = false;
    CTrackColumn* pMoveColumn = nullptr;
    int nMoveIndex = 0;
};

class CTrackColumn : public CGridColumn {
public:
    CTrackColumn(const CGridState& state, CCellDrag& drag) : CGridColumn(state), m_drag(drag) {}
    ~CTrackColumn() override;

    // A visible child of the grid.
    bool Create(const RECT& rect, CWnd* parent, UINT id);

    // Replaces the cells by copies of the track's; neither resizes nor repaints.
    void SetTrack(const CBeatTrack& track);
    CBeatTrack GetTrack() const { return m_track; }
    // A copy of one cell; an empty cell past the end.
    CBeatCell GetCell(int index) const;
    // Empties every cell and repaints.
    void ClearCells();
    // Fits the cells to the grid's step count (cut from the end or padded
    // with empty cells) and the window's height to the cells, at least the parent's
    // client height; repaints.
    void UpdateSize();
    // Shows at once red lines at the top and bottom pixel rows of a step.
    void MarkStep(int index);
    // Removes them through the next paint.
    void UnmarkStep(int index);
    // Redraws the hover preview of the cell under the pointer with the current
    // tool (after the tool changed from the keyboard).
    void RefreshHover();

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnPaint(HDC dc) override;
    // The grid recomputes its scroll range.
    void OnSize(UINT type, int cx, int cy) override;
    void OnDestroy() override;

private:
    int VisibleSteps() const;
    void InvalidateMarks(int index) const;
    // Shows the hover preview of the cell at once.
    void ShowHover(int index);
    // Shows the plain cell: its preview is gone until the pointer comes back.
    void ShowPlain(int index);
    void DrawHover(HDC dc) const;
    void ApplyTool(int index);
    void ForgetMove();
    void OnMouseMove(UINT flags, int y);
    void OnLButtonDown(UINT flags, int y);
    void OnLButtonUp(int y);

    CBeatTrack m_track;
    CCellDrag& m_drag;
    // The hovered cell shows its preview (until it is repainted plain).
    bool m_bHoverShown = false;
    int m_nMarkedStep = -1;
};
