#include "skin/RepeatButton.h"

CRepeatButton::~CRepeatButton() {
    StopRepeating();
}

LRESULT CRepeatButton::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_LBUTTONDOWN:
        if (!m_nDelayTimer)
            m_nDelayTimer = SetTimer(kDelayTimerId, kDelayMilliseconds);
        break;
    case WM_LBUTTONUP:
        StopRepeating();
        break;
    case WM_CAPTURECHANGED:
        // The release will not come here any more (another window took the
        // mouse): without this the repeats would run on unheld.
        if (reinterpret_cast<HWND>(lp) != m_hWnd)
            StopRepeating();
        break;
    default:
        break;
    }
    return CFlashButton::WindowProc(msg, wp, lp);
}

void CRepeatButton::OnTimer(UINT_PTR id) {
    // The delay timer keeps running; it finds the repeat timer started.
    if (id == kDelayTimerId && m_nDelayTimer && !m_nRepeatTimer)
        m_nRepeatTimer = SetTimer(kRepeatTimerId, kRepeatMilliseconds);
    else if (id == kRepeatTimerId && m_nRepeatTimer)
        ::SendMessageA(GetParent(), WM_PCB_PUSHED_LBUTTON, reinterpret_cast<WPARAM>(m_hWnd), 0);
    CFlashButton::OnTimer(id);
}

void CRepeatButton::OnDestroy() {
    CFlashButton::OnDestroy();
    StopRepeating();
}

void CRepeatButton::StopRepeating() {
    if (m_hWnd) {
        if (m_nRepeatTimer)
            KillTimer(m_nRepeatTimer);
        if (m_nDelayTimer)
            KillTimer(m_nDelayTimer);
    }
    m_nRepeatTimer = 0;
    m_nDelayTimer = 0;
}
