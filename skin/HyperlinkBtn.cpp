#include "skin/HyperlinkBtn.h"

#include <windowsx.h>

#include <vector>

#include "framework/TextFit.h"

namespace {

constexpr int kFontHeight = 12;
// Kept free between a widened label and the control after it.
constexpr int kRoomGap = 4;

class CSystemShell final : public CHyperlinkBtn::IShell {
public:
    void Execute(HWND owner, const char* verb, const char* file, const char* parameters,
                 const char* directory, int show) override {
        ::ShellExecuteA(owner, verb, file, parameters, directory, show);
    }
};

} // namespace

CHyperlinkBtn::IShell& CHyperlinkBtn::SystemShell() {
    static CSystemShell shell;
    return shell;
}

CHyperlinkBtn::CHyperlinkBtn(IShell& shell)
    : m_hHand(::LoadCursorA(nullptr, IDC_HAND)), m_hArrow(::LoadCursorA(nullptr, IDC_ARROW)), m_shell(shell) {
}

void CHyperlinkBtn::PreSubclassWindow() {
    // Without the notify style a static lets the mouse through to its parent.
    ModifyStyle(0, SS_NOTIFY);
    std::vector<char> text(static_cast<size_t>(GetWindowTextLength()) + 1);
    GetWindowText(text.data(), static_cast<int>(text.size()));
    m_strText = text.data();
    m_bMeasured = false;
}

void CHyperlinkBtn::FitToText(HWND next) {
    HWND parent = GetParent();
    RECT label;
    GetWindowRect(&label);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&label), 2);
    RECT limit;
    if (next) {
        ::GetWindowRect(next, &limit);
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&limit), 2);
        limit.right = limit.left;
    } else {
        ::GetClientRect(parent, &limit);
    }
    CClientDC dc(m_hWnd);
    CFont font;
    SIZE text =
        CreateFittingFont(font, dc, kFontHeight, FW_NORMAL, m_strText, limit.right - kRoomGap - label.left);
    if (text.cx > label.right - label.left)
        SetWindowPos(nullptr, 0, 0, text.cx, label.bottom - label.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CHyperlinkBtn::OnPaint(HDC dc) {
    if (!m_bFontCreated) {
        RECT client;
        GetClientRect(&client);
        CreateFittingFont(m_font, dc, kFontHeight, FW_NORMAL, m_strText, client.right);
        m_bFontCreated = static_cast<bool>(m_font);
    }
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
        m_shell.Execute(nullptr, "open", m_strURL.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

LRESULT CHyperlinkBtn::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_MOUSEMOVE:
        OnMouseMove(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        break;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        break;
    case WM_LBUTTONDOWN:
        OnLButtonDown(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        break;
    default:
        break;
    }
    return CStatic::WindowProc(msg, wp, lp);
}

void CHyperlinkBtn::OnDestroy() {
    CStatic::OnDestroy();
    m_font.DeleteObject();
    m_bFontCreated = false;
    m_bMeasured = false;
}
