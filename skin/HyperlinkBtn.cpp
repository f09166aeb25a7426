#include "skin/HyperlinkBtn.h"

#include <windowsx.h>

#include <vector>

ShellExecuteFn g_pfnShellExecute = ::ShellExecuteA;

namespace {

constexpr int kFontHeight = 12;

} // namespace

CHyperlinkBtn::CHyperlinkBtn()
    : m_hHand(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649))),   // IDC_HAND
      m_hArrow(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512))) { // IDC_ARROW
}

void CHyperlinkBtn::PreSubclassWindow() {
    // Without the notify style a static lets the mouse through to its parent.
    ModifyStyle(0, SS_NOTIFY);
    std::vector<char> text(static_cast<size_t>(GetWindowTextLength()) + 1);
    GetWindowText(text.data(), static_cast<int>(text.size()));
    m_strText = text.data();
    m_bMeasured = false;
}

void CHyperlinkBtn::Paint(HDC dc) {
    if (!m_bFontCreated)
        m_bFontCreated = m_font.CreateFont(kFontHeight);
    CSelectObject font(dc, m_font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, m_bHover ? m_crHover : m_crNormal);
    ::TextOutA(dc, 0, 0, m_strText.c_str(), static_cast<int>(m_strText.size()));
}

void CHyperlinkBtn::MeasureText() {
    if (m_bMeasured || !m_bFontCreated)
        return;
    CClientDC dc(m_hWnd);
    CSelectObject font(dc, m_font);
    if (::GetTextExtentPoint32A(dc, m_strText.c_str(), static_cast<int>(m_strText.size()), &m_sizeText))
        m_bMeasured = true;
}

bool CHyperlinkBtn::HitText(POINT point) const {
    return m_bMeasured && point.x >= 0 && point.x < m_sizeText.cx && point.y >= 0 && point.y < m_sizeText.cy;
}

void CHyperlinkBtn::OnMouseMove(POINT point) {
    if (!m_bHover) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, m_hWnd, 0};
        ::_TrackMouseEvent(&track);
        m_bHover = true;
        Invalidate();
        return;
    }
    MeasureText();
    ::SetCursor(HitText(point) ? m_hHand : m_hArrow);
}

void CHyperlinkBtn::OnMouseLeave() {
    m_bHover = false;
    Invalidate();
    ::SetCursor(m_hArrow);
}

void CHyperlinkBtn::OnLButtonDown(POINT point) {
    if (m_bNotifyParent) {
        ::SendMessageA(GetParent(), WM_PUSHED_HYPERLINKBTN, reinterpret_cast<WPARAM>(this), 0);
        return;
    }
    MeasureText();
    if (HitText(point) && !m_strURL.empty())
        g_pfnShellExecute(nullptr, "open", m_strURL.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

LRESULT CHyperlinkBtn::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        CPaintDC dc(m_hWnd);
        Paint(dc);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wp));
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        break;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        break;
    case WM_LBUTTONDOWN:
        OnLButtonDown(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        break;
    case WM_DESTROY: {
        LRESULT result = Default();
        m_font.DeleteObject();
        m_bFontCreated = false;
        m_bMeasured = false;
        return result;
    }
    default:
        break;
    }
    return CStatic::WindowProc(msg, wp, lp);
}
