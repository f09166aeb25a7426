#include "mainwnd/BeatChangeCtrl.h"

#include "mainwnd/BeatChangeMath.h"

namespace {

constexpr int kCentreWidth = 92;
constexpr int kCentreHeight = 38;

} // namespace

CBeatChangeCtrl::~CBeatChangeCtrl() {
    // While this object is whole, so that the timer goes with the window.
    DestroyWindow();
}

bool CBeatChangeCtrl::Create(const RECT& rect, CWnd* parent, UINT id) {
    // Clipping the corner buttons keeps the white fill from flickering them.
    return CWnd::Create(nullptr, "", WS_CHILD | WS_CLIPCHILDREN, rect, parent, id);
}

void CBeatChangeCtrl::Open(int x, int y) {
    POINT point{x, y};
    ::MapWindowPoints(GetParent(), m_hWnd, &point, 1);
    StartAnimation(point, skin::PopupAnimation::kOpening);
    ShowWindow(SW_SHOW);
    m_bOpen = 1;
}

void CBeatChangeCtrl::Close() {
    RECT rc;
    GetClientRect(&rc);
    StartAnimation(POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}, skin::PopupAnimation::kClosing);
    m_bOpen = 0;
}

void CBeatChangeCtrl::StartAnimation(POINT point, skin::PopupAnimation::Mode mode) {
    if (mode == skin::PopupAnimation::kOpening) {
        ClientToScreen(&point);
        RECT rc;
        GetClientRect(&rc);
        const int width = rc.right - rc.left;
        // A popup still shrinking from its last opening is not at its full
        // height; measuring it then would make every later opening smaller.
        const bool shrinking = m_nAnimTimer && m_animation.GetMode() == skin::PopupAnimation::kClosing;
        m_animation.Open(shrinking ? m_animation.GetOpenHeight() : rc.bottom - rc.top);
        POINT topLeft{point.x - width / 2, point.y - kCollapsedHeight / 2};
        ::ScreenToClient(GetParent(), &topLeft);
        MoveWindow(topLeft.x, topLeft.y, width, kCollapsedHeight, TRUE);
    } else {
        m_animation.Close();
    }
    SetCapture();
    m_nAnimTimer = SetTimer(kAnimTimerId, kAnimMilliseconds);
}

void CBeatChangeCtrl::AnimationStep() {
    RECT rc;
    GetClientRect(&rc);
    const int width = rc.right - rc.left;
    POINT centre{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    ClientToScreen(&centre);
    const int height = m_animation.Next(rc.bottom - rc.top);
    POINT topLeft{centre.x - width / 2, centre.y - height / 2};
    ::ScreenToClient(GetParent(), &topLeft);
    MoveWindow(topLeft.x, topLeft.y, width, height, TRUE);
    if (m_animation.Done())
        EndAnimation();
}

void CBeatChangeCtrl::EndAnimation() {
    KillTimer(m_nAnimTimer);
    m_nAnimTimer = 0;
    if (m_animation.GetMode() == skin::PopupAnimation::kClosing) {
        RECT rc;
        GetClientRect(&rc);
        ShowWindow(SW_HIDE);
        MoveWindow(0, 0, rc.right - rc.left, m_animation.GetOpenHeight(), TRUE);
    }
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
}

void CBeatChangeCtrl::Report() const {
    ::SendMessageA(GetParent(), WM_NEED_TO_CHANGE_BEAT, m_nBeats, m_nNote);
}

LRESULT CBeatChangeCtrl::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_LBUTTONDOWN)
        ::SendMessageA(GetParent(), WM_NEED_TO_CLOSE_BEAT_CHANGE_CTRL, 0, 0);
    return CWnd::WindowProc(msg, wp, lp);
}

int CBeatChangeCtrl::OnCreate(CREATESTRUCTA* cs) {
    if (CWnd::OnCreate(cs) == -1)
        return -1;
    const RECT none{0, 0, 0, 0};
    CFlashButton* buttons[] = {&m_btnBeatsUp, &m_btnBeatsDown, &m_btnNoteUp, &m_btnNoteDown};
    for (UINT i = 0; i < 4; ++i) {
        if (!buttons[i]->Create("BUTTON", "", WS_CHILD | WS_VISIBLE, none, this, kBeatsUpId + i))
            return -1;
    }
    for (CFlashButton* up : {&m_btnBeatsUp, &m_btnNoteUp})
        SetUpFlashButton(*up, IDB_ARROW_UP_HOT, IDB_ARROW_UP_NORMAL, 0, IDB_ARROW_UP_FLASH);
    for (CFlashButton* down : {&m_btnBeatsDown, &m_btnNoteDown})
        SetUpFlashButton(*down, IDB_ARROW_DOWN_HOT, IDB_ARROW_DOWN_NORMAL, 0, IDB_ARROW_DOWN_FLASH);
    m_bmpCenter.LoadBitmap(kCentreBitmapId);
    return 0;
}

void CBeatChangeCtrl::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    Layout(cx, cy);
}

BOOL CBeatChangeCtrl::OnEraseBkgnd(HDC) {
    return TRUE;
}

void CBeatChangeCtrl::OnTimer(UINT_PTR id) {
    if (id == kAnimTimerId && m_nAnimTimer)
        AnimationStep();
    CWnd::OnTimer(id);
}

void CBeatChangeCtrl::OnDestroy() {
    CWnd::OnDestroy();
    if (m_nAnimTimer) {
        KillTimer(m_nAnimTimer);
        m_nAnimTimer = 0;
    }
}

bool CBeatChangeCtrl::OnCommand(UINT id, UINT code) {
    if (code != BN_CLICKED)
        return CWnd::OnCommand(id, code);
    switch (id) {
    case kBeatsUpId:
        m_nBeats = beatchange::BeatsUp(m_nBeats);
        break;
    case kBeatsDownId:
        m_nBeats = beatchange::BeatsDown(m_nBeats);
        break;
    case kNoteUpId:
        m_nNote = beatchange::NoteUp(m_nNote);
        break;
    case kNoteDownId:
        m_nNote = beatchange::NoteDown(m_nNote);
        break;
    default:
        return CWnd::OnCommand(id, code);
    }
    Report();
    return true;
}

void CBeatChangeCtrl::Layout(int cx, int cy) {
    if (!m_btnNoteDown.GetSafeHwnd())
        return;
    m_btnBeatsUp.MoveWindow(0, 0, kArrowButtonWidth, kArrowButtonHeight);
    m_btnBeatsDown.MoveWindow(0, cy - kArrowButtonHeight, kArrowButtonWidth, kArrowButtonHeight);
    m_btnNoteUp.MoveWindow(cx - kArrowButtonWidth, 0, kArrowButtonWidth, kArrowButtonHeight);
    m_btnNoteDown.MoveWindow(cx - kArrowButtonWidth, cy - kArrowButtonHeight, kArrowButtonWidth,
                             kArrowButtonHeight);
}

void CBeatChangeCtrl::OnPaint(HDC dc) {
    RECT rc;
    GetClientRect(&rc);
    COLORREF oldBack = ::SetBkColor(dc, RGB(255, 255, 255));
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    ::SetBkColor(dc, oldBack);
    if (!m_bmpCenter)
        return;
    CMemDC mem(dc);
    CSelectObject select(mem, m_bmpCenter);
    ::BitBlt(dc, (rc.left + rc.right) / 2 - kCentreWidth / 2, (rc.top + rc.bottom) / 2 - kCentreHeight / 2,
             kCentreWidth, kCentreHeight, mem, 0, 0, SRCCOPY);
}
