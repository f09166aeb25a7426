#include "skin/AniButton.h"

bool CAniButton::Create(const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(nullptr, "", WS_CHILD, rect, parent, id);
}

void CAniButton::Play(int direction) {
    // An unknown direction would never reach an end frame and would keep the
    // mouse captured for good.
    int first = skin::FirstAniFrame(direction);
    if (first < 0 || !m_hWnd)
        return;
    m_nDirection = direction;
    m_nFrame = first;
    // Already showing when a play restarts: its first frame must be drawn too.
    Invalidate(TRUE);
    ShowWindow(SW_SHOW);
    SetCapture();
    m_nTimer = SetTimer(kTimerId, kFramePeriod);
}

void CAniButton::OnTimer(UINT_PTR id) {
    if (id == kTimerId)
        NextFrame();
    CWnd::OnTimer(id);
}

void CAniButton::NextFrame() {
    Invalidate(TRUE);
    int frame = m_nFrame;
    // The end frame is never drawn, not even if the parent's handling of the
    // finish repaints: the last frame played stays until the window is hidden.
    if (skin::AdvanceAniFrame(m_nDirection, frame))
        Finish();
    m_nFrame = frame;
}

void CAniButton::Finish() {
    KillTimer(m_nTimer);
    ::SendMessageA(GetParent(), WM_CHANGE_BTN_ANI_FINISHED, static_cast<WPARAM>(m_nDirection), 0);
    m_nTimer = 0;
    ShowWindow(SW_HIDE);
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
}

void CAniButton::OnPaint(HDC dc) {
    RECT rc;
    GetClientRect(&rc);
    ::FillRect(dc, &rc, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    if (m_nFrame < 0 || m_nFrame >= skin::kAniFrameCount || !m_frames[static_cast<size_t>(m_nFrame)])
        return;
    CMemDC mem(dc);
    CSelectObject frame(mem, m_frames[static_cast<size_t>(m_nFrame)]);
    ::BitBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
}

int CAniButton::OnCreate(CREATESTRUCTA* cs) {
    int result = CWnd::OnCreate(cs);
    if (result == -1)
        return -1;
    // A missing frame leaves its step white.
    for (UINT i = 0; i < m_frames.size(); ++i)
        m_frames[i].LoadBitmap(kFirstFrameId + i);
    return result;
}
