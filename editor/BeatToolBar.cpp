#include "editor/BeatToolBar.h"

#include "bitmap_ids.h"

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

bool CBeatToolBar::OnCommand(UINT id, UINT code) {
    if (code != BN_CLICKED || !IsToolId(static_cast<int>(id)))
        return CWnd::OnCommand(id, code);
    OnItemClicked(static_cast<int>(id));
    return true;
}

int CBeatToolBar::OnCreate(CREATESTRUCTA* cs) {
    if (CWnd::OnCreate(cs) == -1)
        return -1;
    for (int k = 0; k < kToolItemCount; ++k) {
        ToolRect item = ToolItemRect(k);
        CSkinButton& button = m_buttons[k];
        if (!button.Create("BUTTON", "", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                           RECT{item.left, item.top, item.right, item.bottom}, this,
                           static_cast<UINT>(kFirstToolId + k)))
            return -1;
        button.SetPressStyle(CSkinButton::kPressStill, TRUE);
        // The selected item is the disabled one.
        button.SetImages(IDB_TOOL_HOT + k, kSkinButtonKey, IDB_TOOL_NORMAL + k, kSkinButtonKey,
                         IDB_TOOL_SELECTED + k, kSkinButtonKey);
        button.EnableBorder(FALSE, TRUE);
        button.EnableFocusRect(TRUE, TRUE);
        button.m_nFocusInset = 0;
        if (int sound = ToolSoundId(kFirstToolId + k))
            m_voices[static_cast<std::size_t>(k)].Load(static_cast<UINT>(sound));
    }
    return 0;
}

void CBeatToolBar::OnItemClicked(int id) {
    if (m_bSoundOn && ToolSoundId(id) != 0)
        m_voices[static_cast<std::size_t>(id - kFirstToolId)].Retrigger();
    Select(id);
}
