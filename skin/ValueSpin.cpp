#include "skin/ValueSpin.h"

#include <cstdio>

#include "framework/TextFit.h"

namespace {

constexpr COLORREF kTextColour = RGB(0, 0, 0);
constexpr COLORREF kLimitColour = RGB(255, 0, 0);
// Shown where the background bitmap does not reach (above and below it once
// open); the bitmap's own corners are white.
constexpr COLORREF kSurround = RGB(255, 255, 255);

RECT RectInParent(HWND hwnd) {
    RECT rc;
    ::GetWindowRect(hwnd, &rc);
    ::MapWindowPoints(nullptr, ::GetParent(hwnd), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

} // namespace

CValueSpin::~CValueSpin() {
    // While this object is whole, so that the timer goes with the window.
    DestroyWindow();
}

bool CValueSpin::Create(const RECT& home, CWnd* parent, UINT id) {
    m_rcHome = home;
    skin::PopupAnimation::Shape shape = kAnimationShape;
    shape.collapsedHeight = home.bottom - home.top;
    m_animation = skin::PopupAnimation(shape);
    return CWnd::Create(nullptr, "", WS_CHILD | WS_CLIPCHILDREN, home, parent, id);
}

void CValueSpin::SetValue(int value) {
    m_nValue = value;
    if (m_hWnd)
        InvalidateRect(&m_rcText);
}

void CValueSpin::Open() {
    m_animation.Open(kOpenHeight);
    MoveWindow(m_rcHome);
    SetCapture();
    m_nAnimTimer = SetTimer(kAnimTimerId, kAnimMilliseconds);
    ShowWindow(SW_SHOW);
    m_bOpen = 1;
}

void CValueSpin::Close() {
    m_animation.Close();
    SetCapture();
    m_nAnimTimer = SetTimer(kAnimTimerId, kAnimMilliseconds);
    m_bOpen = 0;
}

LRESULT CValueSpin::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PCB_PUSHED_LBUTTON: {
        HWND from = reinterpret_cast<HWND>(wp);
        if (from && from == m_btnUp.GetSafeHwnd())
            Step(+1);
        else if (from && from == m_btnDown.GetSafeHwnd())
            Step(-1);
        return 0;
    }
    case WM_LBUTTONDOWN:
        ::SendMessageA(GetParent(), WM_PSC_NEED_TO_CLOSE_CTRL, reinterpret_cast<WPARAM>(m_hWnd), 0);
        break;
    default:
        break;
    }
    return CWnd::WindowProc(msg, wp, lp);
}

int CValueSpin::OnCreate(CREATESTRUCTA* cs) {
    if (CWnd::OnCreate(cs) == -1)
        return -1;
    const RECT none{0, 0, 0, 0};
    if (!m_btnUp.Create("BUTTON", "", WS_CHILD | WS_VISIBLE, none, this, kUpId) ||
        !m_btnDown.Create("BUTTON", "", WS_CHILD | WS_VISIBLE, none, this, kDownId))
        return -1;
    SetUpFlashButton(m_btnUp, IDB_ARROW_UP_HOT, IDB_ARROW_UP_NORMAL, 0, IDB_ARROW_UP_FLASH);
    SetUpFlashButton(m_btnDown, IDB_ARROW_DOWN_HOT, IDB_ARROW_DOWN_NORMAL, 0, IDB_ARROW_DOWN_FLASH);
    m_bmpBack.LoadBitmap(kBackgroundId);
    return 0;
}

void CValueSpin::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    Layout(cx, cy);
    // The background is centred on the height: a new size moves all of it,
    // also where the old picture was kept.
    Invalidate(FALSE);
}

BOOL CValueSpin::OnEraseBkgnd(HDC) {
    return TRUE;
}

void CValueSpin::OnPaint(HDC dc) {
    Draw(dc, m_bWarnLimit ? kLimitColour : kTextColour);
    // The warning shows in one paint and goes with the next.
    m_bWarnLimit = false;
}

bool CValueSpin::OnCommand(UINT id, UINT code) {
    if (code == BN_CLICKED && id == kUpId)
        Step(+1);
    else if (code == BN_CLICKED && id == kDownId)
        Step(-1);
    else
        return CWnd::OnCommand(id, code);
    return true;
}

void CValueSpin::OnTimer(UINT_PTR id) {
    if (id == kAnimTimerId && m_nAnimTimer)
        AnimationTick();
    CWnd::OnTimer(id);
}

void CValueSpin::OnDestroy() {
    CWnd::OnDestroy();
    KillAnimTimer();
}

void CValueSpin::Layout(int cx, int cy) {
    if (m_btnUp.GetSafeHwnd())
        m_btnUp.MoveWindow(cx - kArrowButtonWidth, 0, kArrowButtonWidth, kArrowButtonHeight);
    if (m_btnDown.GetSafeHwnd())
        m_btnDown.MoveWindow(cx - kArrowButtonWidth, cy - kArrowButtonHeight, kArrowButtonWidth,
                             kArrowButtonHeight);
    m_rcText = RECT{10, 0, cx - 60, cy};
}

void CValueSpin::Draw(HDC dc, COLORREF textColour) const {
    RECT client;
    GetClientRect(&client);
    COLORREF oldBack = ::SetBkColor(dc, kSurround);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
    ::SetBkColor(dc, oldBack);
    if (m_bmpBack) {
        SIZE size = m_bmpBack.GetSize();
        CMemDC mem(dc);
        CSelectObject select(mem, m_bmpBack);
        ::BitBlt(dc, 0, client.bottom / 2 - 19, size.cx, size.cy, mem, 0, 0, SRCCOPY);
    }
    CFittedText fitted(dc, 20);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, textColour);
    char text[16];
    std::snprintf(text, sizeof text, "%d", m_nValue);
    fitted.Draw(text, m_rcText, DT_CENTER | DT_VCENTER);
}

void CValueSpin::Step(int delta) {
    bool room = delta > 0 ? m_nValue < m_nMax : m_nValue > m_nMin;
    if (room) {
        m_nValue += delta;
        InvalidateRect(&m_rcText);
    } else {
        m_bWarnLimit = true;
        Invalidate();
        UpdateWindow();
    }
    ::SendMessageA(GetParent(), WM_PSC_CHANGED_VALUE, reinterpret_cast<WPARAM>(m_hWnd),
                   static_cast<LPARAM>(m_nValue));
}

void CValueSpin::AnimationTick() {
    RECT rc = RectInParent(m_hWnd);
    const int middle = (rc.top + rc.bottom) / 2;
    const int height = m_animation.Next(rc.bottom - rc.top);
    rc.top = middle - height / 2;
    rc.bottom = rc.top + height;
    MoveFrame(rc);
    if (m_animation.Done())
        StopAnimation();
}

void CValueSpin::MoveFrame(const RECT& rc) {
    MoveWindow(rc);
    // Each frame is drawn whole before the next tick.
    DrawNow();
}

void CValueSpin::DrawNow() const {
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void CValueSpin::KillAnimTimer() {
    if (m_nAnimTimer)
        KillTimer(m_nAnimTimer);
    m_nAnimTimer = 0;
}

void CValueSpin::StopAnimation() {
    KillAnimTimer();
    if (m_animation.GetMode() == skin::PopupAnimation::kClosing) {
        ShowWindow(SW_HIDE);
        MoveWindow(m_rcHome);
    }
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
}
