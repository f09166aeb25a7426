#include "editor/TrackColumn.h"

#include <windowsx.h>

#include <algorithm>

#include "editor/CellEditing.h"
#include "editor/EditorMessages.h"
#include "framework/Gdi.h"
#include "framework/TextFit.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kOutline = RGB(200, 200, 200);
constexpr COLORREF kBeatLine = RGB(100, 100, 100);
constexpr COLORREF kMark = RGB(255, 0, 0);
constexpr UINT kCentred = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
constexpr int kFontHeight = 15;

// The cell as drawn: its step's rectangle shrunk by 1 on the left, 2 at the top,
// 2 on the right and 1 at the bottom.
RECT InnerRect(RECT cell) {
    return RECT{cell.left + 1, cell.top + 2, cell.right - 2, cell.bottom - 1};
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    CBrush brush(colour);
    ::FillRect(dc, &rect, brush);
}

} // namespace

CTrackColumn::~CTrackColumn() {
    ForgetMove();
    DestroyWindow();
}

bool CTrackColumn::Create(const RECT& rect, CWnd* parent, UINT id) {
    return CreateColumn(rect, parent, id);
}

void CTrackColumn::SetTrack(const CBeatTrack& track) {
    m_track = track;
}

CBeatCell CTrackColumn::GetCell(int index) const {
    return index >= 0 && index < m_track.GetCellCount() ? m_track.GetCell(index) : CBeatCell{};
}

void CTrackColumn::ClearCells() {
    for (auto& cell : m_track.m_arrCells)
        *cell = CBeatCell{};
    if (m_hWnd)
        Invalidate();
}

int CTrackColumn::VisibleSteps() const {
    return std::clamp(m_state.m_nStepCount, 0, m_track.GetCellCount());
}

void CTrackColumn::UpdateSize() {
    int steps = std::max(m_state.m_nStepCount, 0);
    m_track.SetCellCount(steps);
    // A pending move whose cell went away is dropped now, before anything can
    // reach for that cell.
    if (m_drag.bMoving && m_drag.pMoveColumn == this && m_drag.nMoveIndex >= steps)
        ForgetMove();
    if (m_nHoverIndex >= steps)
        m_nHoverIndex = -1;
    if (m_hWnd)
        FitHeight(steps);
}

void CTrackColumn::InvalidateMarks(int index) const {
    if (index < 0 || !m_hWnd)
        return;
    RECT cell = RowRect(index);
    RECT top{cell.left, cell.top, cell.right, cell.top + 1};
    RECT bottom{cell.left, cell.bottom - 1, cell.right, cell.bottom};
    InvalidateRect(&top, TRUE);
    InvalidateRect(&bottom, TRUE);
}

void CTrackColumn::MarkStep(int index) {
    if (index < 0)
        return;
    InvalidateMarks(m_nMarkedStep);
    m_nMarkedStep = index;
    InvalidateMarks(index);
    UpdateWindow();
}

void CTrackColumn::UnmarkStep(int index) {
    if (index != m_nMarkedStep)
        return;
    m_nMarkedStep = -1;
    InvalidateMarks(index);
}

void CTrackColumn::RefreshHover() {
    POINT pt{};
    ::GetCursorPos(&pt);
    ScreenToClient(&pt);
    int row = RowAtY(pt.y);
    if (row < 0 || row >= VisibleSteps()) {
        ShowPlain(m_nHoverIndex);
        m_nHoverIndex = -1;
        return;
    }
    ShowHover(row);
}

void CTrackColumn::OnPaint(HDC dc) {
    RECT client{};
    GetClientRect(&client);
    FillSolid(dc, client, kWhite);

    CFittedText text(dc, kFontHeight);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kWhite);

    CPen edge(PS_SOLID, 1, kBlack);
    CPen outline(PS_SOLID, 1, kOutline);
    CPen beat(PS_SOLID, 1, kBeatLine);
    {
        CSelectObject selectPen(dc, edge);
        ::MoveToEx(dc, client.right - 1, client.top, nullptr);
        ::LineTo(dc, client.right - 1, client.bottom);
    }
    CSelectObject selectBrush(dc, ::GetStockObject(WHITE_BRUSH));
    const int height = m_state.m_nCellHeight;
    for (int i = 0; i < m_state.m_nStepCount; ++i) {
        RECT cell{0, i * height, client.right, i * height + height};
        RECT inner = InnerRect(cell);
        {
            CSelectObject selectPen(dc, outline);
            ::Rectangle(dc, inner.left, inner.top, inner.right, inner.bottom);
        }
        if (i < m_track.GetCellCount() && m_track.GetCell(i).m_nSoundId != 0) {
            FillSolid(dc, inner, kBlack);
            text.Draw(m_track.GetCell(i).m_strName, inner, kCentred);
        }
        if (IsBeatLine(i, m_state.m_nStepsPerBeat)) {
            CSelectObject selectPen(dc, beat);
            ::MoveToEx(dc, 0, cell.top, nullptr);
            ::LineTo(dc, client.right, cell.top);
        }
    }
    DrawHover(dc);
    if (m_nMarkedStep >= 0) {
        RECT cell = RowRect(m_nMarkedStep);
        RECT top{cell.left, cell.top, cell.right, cell.top + 1};
        RECT bottom{cell.left, cell.bottom - 1, cell.right, cell.bottom};
        FillSolid(dc, top, kMark);
        FillSolid(dc, bottom, kMark);
    }
}

void CTrackColumn::DrawHover(HDC dc) const {
    if (!m_bHoverShown || m_nHoverIndex < 0 || m_nHoverIndex >= VisibleSteps())
        return;
    const CBeatCell* moving = nullptr;
    if (m_drag.bMoving && m_drag.pMoveColumn &&
        m_drag.nMoveIndex < m_drag.pMoveColumn->m_track.GetCellCount())
        moving = &m_drag.pMoveColumn->m_track.GetCell(m_drag.nMoveIndex);
    HoverLook look = GetHoverLook(m_state.m_nCurTool, GetCell(m_nHoverIndex), m_drag.bShiftPaint, moving);
    if (!look.bDraw)
        return;
    RECT inner = InnerRect(RowRect(m_nHoverIndex));
    FillSolid(dc, inner, look.crFill);
    CFittedText text(dc, kFontHeight);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, look.crText);
    text.Draw(look.strText, inner, kCentred);
}

void CTrackColumn::ShowHover(int index) {
    if (index != m_nHoverIndex)
        ShowPlain(m_nHoverIndex);
    m_nHoverIndex = index;
    m_bHoverShown = true;
    InvalidateRow(index);
    UpdateWindow();
    ::SendMessageA(GetParent(), WM_CBLNEEDTOGETFOCUS, 0, 0);
}

void CTrackColumn::ShowPlain(int index) {
    if (index == m_nHoverIndex)
        m_bHoverShown = false;
    InvalidateRow(index);
}

void CTrackColumn::ApplyTool(int index) {
    if (index < 0 || index >= VisibleSteps())
        return;
    CBeatCell& cell = m_track.GetCell(index);
    if (m_state.m_nCurTool != TOOL_MOVE) {
        ::ApplyTool(cell, m_state.m_nCurTool);
        return;
    }
    if (cell.m_nSoundId != 0) {
        m_drag.bMoving = true;
        m_drag.pMoveColumn = this;
        m_drag.nMoveIndex = index;
    }
}

void CTrackColumn::ForgetMove() {
    if (m_drag.pMoveColumn != this)
        return;
    m_drag.bMoving = false;
    m_drag.pMoveColumn = nullptr;
    m_drag.nMoveIndex = 0;
}

void CTrackColumn::OnMouseMove(UINT flags, int y) {
    int row = RowAtY(y);
    TrackLeave();
    if (row == m_nHoverIndex)
        return;
    if (row < 0 || row >= VisibleSteps()) {
        ShowPlain(m_nHoverIndex);
        m_nHoverIndex = -1;
        return;
    }
    m_drag.bShiftPaint = false;
    if (flags == (MK_LBUTTON | MK_SHIFT)) {
        m_drag.bShiftPaint = true;
        ApplyTool(row);
    }
    ShowHover(row);
}

void CTrackColumn::OnLButtonDown(UINT flags, int y) {
    int row = RowAtY(y);
    if (flags == (MK_LBUTTON | MK_SHIFT))
        m_drag.bShiftPaint = true;
    if (row < 0 || row >= VisibleSteps())
        return;
    ApplyTool(row);
    if (m_state.m_nCurTool == TOOL_ERASER)
        ShowHover(row);
}

void CTrackColumn::OnLButtonUp(int y) {
    int row = RowAtY(y);
    bool onCell = row >= 0 && row < VisibleSteps();
    if (m_drag.bMoving) {
        CTrackColumn* source = m_drag.pMoveColumn;
        int sourceIndex = m_drag.nMoveIndex;
        if (onCell && source && MoveCell(source->m_track, sourceIndex, m_track, row)) {
            source->ShowPlain(sourceIndex);
            ShowPlain(row);
        }
        m_drag.bMoving = false;
        m_drag.pMoveColumn = nullptr;
        m_drag.nMoveIndex = 0;
    }
    if (m_drag.bShiftPaint) {
        m_drag.bShiftPaint = false;
        if (onCell)
            ShowPlain(row);
    }
}

void CTrackColumn::OnSize(UINT type, int cx, int cy) {
    CGridColumn::OnSize(type, cx, cy);
    ::SendMessageA(GetParent(), WM_CBLISTBOX_CHANGE_SIZE, 0, 0);
}

void CTrackColumn::OnDestroy() {
    ForgetMove();
    CGridColumn::OnDestroy();
}

LRESULT CTrackColumn::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<UINT>(wp), GET_Y_LPARAM(lp));
        break;
    case WM_LBUTTONDOWN:
    // The class reports the second click of a quick pair as a double-click;
    // it edits like any other click.
    case WM_LBUTTONDBLCLK:
        OnLButtonDown(static_cast<UINT>(wp), GET_Y_LPARAM(lp));
        break;
    case WM_LBUTTONUP:
        OnLButtonUp(GET_Y_LPARAM(lp));
        break;
    default:
        break;
    }
    return CGridColumn::WindowProc(msg, wp, lp);
}
