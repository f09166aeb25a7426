// What the grid's columns share: rows of one cell height from the top, a
// window as tall as its rows or the grid, paint that covers every pixel, and
// the pointer-leave notification.
#pragma once

#include "editor/CellEditing.h"
#include "editor/GridState.h"
#include "framework/Wnd.h"

class CGridColumn : public CWnd {
protected:
    // The state is the grid's, which outlives its columns.
    explicit CGridColumn(const CGridState& state) : m_state(state) {}

    // A visible child of the grid.
    bool CreateColumn(const RECT& rect, CWnd* parent, UINT id);
    // The row's full rectangle in client coordinates.
    RECT RowRect(int row) const;
    // The row under a y coordinate, -1 above the first one.
    int RowAtY(int y) const { return StepAtY(y, m_state.m_nCellHeight); }
    void InvalidateRow(int row) const;
    // Moves the window to the height of rows rows, at least the parent's client
    // height, keeping its left, top and width; repaints it all.
    void FitHeight(int rows);
    // Asks once for WM_MOUSELEAVE; when it comes, the hovered row is repainted
    // and forgotten.
    void TrackLeave();

    // The paint covers every pixel.
    BOOL OnEraseBkgnd(HDC dc) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    const CGridState& m_state;
    // The row under the pointer whose immediate preview is drawn, -1 for none.
    int m_nHoverIndex = -1;

private:
    bool m_bTrackingLeave = false;
};
