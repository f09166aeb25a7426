// Messages the skinned controls send to their parents, all synchronously.
// They stay inside the process: constants in the skin kit's block of WM_APP
// numbers, which the layers above follow with blocks of their own.
#pragma once

#include "framework/Wnd.h"

inline constexpr UINT kSkinMessagesFirst = WM_APP + 0x100;

// The tempo slider: Page Up / Page Down went down while it has the focus; the
// slider itself does not move. wParam 0, lParam 0.
inline constexpr UINT WM_SLIDER_PUSH_PGUP = kSkinMessagesFirst;
inline constexpr UINT WM_SLIDER_PUSH_PGDOWN = kSkinMessagesFirst + 1;
// The animated button: a play has ended, while the last frame still shows and
// the capture is still held. wParam the direction played (1 forward,
// 2 backward), lParam 0.
inline constexpr UINT WM_CHANGE_BTN_ANI_FINISHED = kSkinMessagesFirst + 2;
// A hyperlink label in notify mode was clicked. wParam the CHyperlinkBtn,
// lParam 0.
inline constexpr UINT WM_PUSHED_HYPERLINKBTN = kSkinMessagesFirst + 3;
// A repeat button repeats while held. wParam the button's window, lParam 0.
inline constexpr UINT WM_PCB_PUSHED_LBUTTON = kSkinMessagesFirst + 4;
// A value spin stepped, also where a limit stopped it. wParam the spin's
// window, lParam the value after the step.
inline constexpr UINT WM_PSC_CHANGED_VALUE = kSkinMessagesFirst + 5;
// A value spin's own area (not a button) was pressed. wParam the spin's window.
inline constexpr UINT WM_PSC_NEED_TO_CLOSE_CTRL = kSkinMessagesFirst + 6;

inline constexpr UINT kSkinMessagesEnd = kSkinMessagesFirst + 0x100;
static_assert(AfxIsMessageBlock(kSkinMessagesFirst, kSkinMessagesEnd,
                                {WM_SLIDER_PUSH_PGUP, WM_SLIDER_PUSH_PGDOWN, WM_CHANGE_BTN_ANI_FINISHED,
                                 WM_PUSHED_HYPERLINKBTN, WM_PCB_PUSHED_LBUTTON, WM_PSC_CHANGED_VALUE,
                                 WM_PSC_NEED_TO_CLOSE_CTRL}));
