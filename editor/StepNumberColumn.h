// The step numbers 1, 2, 3, ... at the right edge of the pattern grid, with red
// beat lines. While the pattern preview plays, the numbers react to the mouse
// and a click moves the preview to that step.
#pragma once

#include "editor/GridColumn.h"
#include "framework/Gdi.h"

class CFittedText;

class CStepNumberColumn : public CGridColumn {
public:
    explicit CStepNumberColumn(const CGridState& state) : CGridColumn(state) {}

    // A visible child of the grid; loads the row tiles.
    bool Create(const RECT& rect, CWnd* parent, UINT id);
    // Active while the preview plays.
    void SetActive(bool on);
    bool IsActive() const { return m_bActive; }
    // Fits the height to the grid's steps, at least the parent's client height.
    void UpdateSize();

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnPaint(HDC dc) override;

private:
    void DrawRow(HDC dc, const CFittedText& numbers, int row, const CBitmap& tile, COLORREF tileFallback,
                 COLORREF text) const;
    void OnMouseMove(int y);

    CBitmap m_bmpActive;
    CBitmap m_bmpInactive;
    CBitmap m_bmpHover;
    bool m_bActive = false;
};
