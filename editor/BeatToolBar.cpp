#include "editor/BeatToolBar.h"

bool CBeatToolBar::Create(const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(nullptr, "", WS_CHILD | WS_VISIBLE, rect, parent, id);
}

LRESULT CBeatToolBar::Select(int id) {
    if (!IsToolId(id))
        return 0;
    if (IsToolId(m_nSelId))
        m_buttons[m_nSelId - kFirstToolId].EnableWindow(TRUE);
    m_nSelId = id;
    m_buttons[id - kFirstToolId].EnableWindow(FALSE);
    return ::SendMessageA(GetParent(), WM_CBTOOLBAR_ITEM_CHANGED, static_cast<WPARAM>(id), ToolSoundId(id));
}

LRESULT CBeatToolBar::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        if (Default() == -1)
            return -1;
        return OnCreate();
    case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED && IsToolId(LOWORD(wp))) {
            OnItemClicked(LOWORD(wp));
            return 0;
        }
        break;
    default:
        break;
    }
    return CWnd::WindowProc(msg, wp, lp);
}

int CBeatToolBar::OnCreate() {
    // One attempt at the sound device for all 22 voices.
    CSoundVoice::CLoadingPass pass;
    for (int k = 0; k < kToolItemCount; ++k) {
        ToolRect item = ToolItemRect(k);
        CBeatToolButton& button = m_buttons[k];
        if (!button.Create("BUTTON", "", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                           RECT{item.left, item.top, item.right, item.bottom}, this,
                           static_cast<UINT>(kFirstToolId + k)))
            return -1;
        button.SetPressStyle(2, TRUE);
        button.SetImages(kToolHotImageBase + k, kSkinButtonKey, kToolNormalImageBase + k, kSkinButtonKey,
                         kToolDisabledImageBase + k, kSkinButtonKey);
        button.EnableBorder(FALSE, TRUE);
        button.EnableFocusRect(TRUE, TRUE);
        button.m_nFocusInset = 0;
        if (int sound = ToolSoundId(kFirstToolId + k))
            button.m_voice.Load(static_cast<UINT>(sound));
    }
    return 0;
}

void CBeatToolBar::OnItemClicked(int id) {
    if (m_bSoundOn && ToolSoundId(id) != 0)
        m_buttons[id - kFirstToolId].m_voice.Retrigger();
    Select(id);
}
