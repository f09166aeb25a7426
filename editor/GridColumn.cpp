#include "editor/GridColumn.h"

#include <algorithm>

#include "framework/Gdi.h"

bool CGridColumn::CreateColumn(const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(nullptr, "", WS_CHILD | WS_VISIBLE, rect, parent, id);
}

RECT CGridColumn::RowRect(int row) const {
    RECT client{};
    GetClientRect(&client);
    const int height = m_state.m_nCellHeight;
    return RECT{0, row * height, client.right, row * height + height};
}

void CGridColumn::InvalidateRow(int row) const {
    if (row < 0 || !m_hWnd)
        return;
    RECT rect = RowRect(row);
    InvalidateRect(&rect, TRUE);
}

void CGridColumn::FitHeight(int rows) {
    HWND parent = GetParent();
    RECT parentClient{};
    ::GetClientRect(parent, &parentClient);
    RECT window{};
    GetWindowRect(&window);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&window), 2);
    int height = std::max(std::max(rows, 0) * m_state.m_nCellHeight, static_cast<int>(parentClient.bottom));
    MoveWindow(window.left, window.top, window.right - window.left, height, TRUE);
    Invalidate();
}

void CGridColumn::TrackLeave() {
    if (m_bTrackingLeave)
        return;
    TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, m_hWnd, 0};
    m_bTrackingLeave = ::TrackMouseEvent(&tme) != FALSE;
}

BOOL CGridColumn::OnEraseBkgnd(HDC) {
    return TRUE;
}

LRESULT CGridColumn::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_MOUSELEAVE)
        return CWnd::WindowProc(msg, wp, lp);
    m_bTrackingLeave = false;
    InvalidateRow(m_nHoverIndex);
    m_nHoverIndex = -1;
    return 0;
}
