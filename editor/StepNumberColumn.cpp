#include "editor/StepNumberColumn.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <optional>

#include "bitmap_ids.h"
#include "editor/CellEditing.h"
#include "editor/EditorMessages.h"
#include "framework/TextFit.h"

namespace {

constexpr int kNumberWidth = 20;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
// Stand-ins for the tiles' colours should a tile fail to load.
constexpr COLORREF kDarkTile = RGB(52, 58, 76);

class CDrawingTools {
public:
    explicit CDrawingTools(HDC dc) : m_text(dc, 12) {
        m_selectPen.emplace(dc, m_pen);
        ::SetBkMode(dc, TRANSPARENT);
    }
    const CFittedText& Text() const { return m_text; }

private:
    CFittedText m_text;
    CPen m_pen{PS_SOLID, 1, kRed};
    std::optional<CSelectObject> m_selectPen;
};

} // namespace

bool CStepNumberColumn::Create(const RECT& rect, CWnd* parent, UINT id) {
    m_bmpActive.LoadBitmap(IDB_STEP_TILE_PLAYING);
    m_bmpInactive.LoadBitmap(IDB_STEP_TILE_IDLE);
    m_bmpHover.LoadBitmap(IDB_STEP_TILE_HOVER);
    return CreateColumn(rect, parent, id);
}

void CStepNumberColumn::SetActive(bool on) {
    m_bActive = on;
    m_nHoverIndex = -1;
    Invalidate();
}

void CStepNumberColumn::UpdateSize() {
    FitHeight(m_state.m_nStepCount);
}

void CStepNumberColumn::DrawRow(HDC dc, const CFittedText& numbers, int row, const CBitmap& tile,
                                COLORREF tileFallback, COLORREF text) const {
    RECT client{};
    GetClientRect(&client);
    const int height = m_state.m_nCellHeight;
    int top = row * height;
    if (tile) {
        CMemDC mem(dc);
        CSelectObject selectTile(mem, tile);
        ::BitBlt(dc, 0, top, client.right, height, mem, 0, 0, SRCCOPY);
    } else {
        CBrush brush(tileFallback);
        RECT rect{0, top, client.right, top + height};
        ::FillRect(dc, &rect, brush);
    }
    char number[16];
    std::snprintf(number, sizeof number, "%d", row + 1);
    RECT numberRect{client.right - kNumberWidth, top, client.right, top + height};
    ::SetTextColor(dc, text);
    numbers.Draw(number, numberRect, DT_CENTER | DT_VCENTER);
    if (IsBeatLine(row, m_state.m_nStepsPerBeat)) {
        ::MoveToEx(dc, 0, top, nullptr);
        ::LineTo(dc, client.right, top);
    }
}

void CStepNumberColumn::OnPaint(HDC dc) {
    CDrawingTools tools(dc);
    const CBitmap& tile = m_bActive ? m_bmpActive : m_bmpInactive;
    int rows = std::max(m_state.m_nStepCount, 0);
    for (int row = 0; row < rows; ++row) {
        if (row == m_nHoverIndex)
            DrawRow(dc, tools.Text(), row, m_bmpHover, kWhite, kBlack);
        else
            DrawRow(dc, tools.Text(), row, tile, kDarkTile, kWhite);
    }
    // Below the last row the column is plain white, like the track columns.
    RECT client{};
    GetClientRect(&client);
    RECT below{0, rows * m_state.m_nCellHeight, client.right, client.bottom};
    if (below.top < below.bottom)
        ::FillRect(dc, &below, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
}

void CStepNumberColumn::OnMouseMove(int y) {
    if (!m_bActive)
        return;
    TrackLeave();
    int row = RowAtY(y);
    if (row == m_nHoverIndex)
        return;
    InvalidateRow(m_nHoverIndex);
    m_nHoverIndex = row >= 0 && row < m_state.m_nStepCount ? row : -1;
    InvalidateRow(m_nHoverIndex);
    UpdateWindow();
}

LRESULT CStepNumberColumn::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_MOUSEMOVE:
        OnMouseMove(GET_Y_LPARAM(lp));
        break;
    case WM_LBUTTONDOWN:
    // A quick second click is a double-click for the class; it moves the
    // preview like any other.
    case WM_LBUTTONDBLCLK:
        if (m_bActive) {
            int row = GET_Y_LPARAM(lp) / m_state.m_nCellHeight;
            ::SendMessageA(GetParent(), WM_CCBLBALC_CLICKED_BUTTON, reinterpret_cast<WPARAM>(m_hWnd), row);
        }
        break;
    default:
        break;
    }
    return CGridColumn::WindowProc(msg, wp, lp);
}
