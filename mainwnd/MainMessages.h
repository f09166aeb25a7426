// Messages of the main window and its own controls. Those that stay inside the
// process are constants in the main window's block of WM_APP numbers, after
// the editor's; the question between two copies of the program is registered
// by name.
#pragma once

#include "editor/EditorMessages.h"
#include "framework/Wnd.h"

// Asked of every top-level window by a second copy, which registers it by the
// same name; the main window answers with the message's own number.
inline const UINT UWM_ARE_YOU_ME = AfxRegisterMessage("UWM_ARE_YOU_ME");

inline constexpr UINT kMainMessagesFirst = kEditorMessagesEnd;

// Sent by the beat change popup after every corner button press, also one
// stopped by a limit: wParam the beats per bar, lParam the note value.
inline constexpr UINT WM_NEED_TO_CHANGE_BEAT = kMainMessagesFirst;
// Sent by the beat change popup when its own background is clicked.
inline constexpr UINT WM_NEED_TO_CLOSE_BEAT_CHANGE_CTRL = kMainMessagesFirst + 1;
// Posted to the tick display from other threads: a swing is asked for by the
// metronome's tick (wParam the stop count it was asked under, lParam the steady
// clock's count when its click is heard), and the needle's next change (a
// frame, or the start of a swing asked for) is due.
inline constexpr UINT WM_TICKTOCK_START_SWING = kMainMessagesFirst + 2;
inline constexpr UINT WM_TICKTOCK_FRAMES = kMainMessagesFirst + 3;
// Posted to the main window by the engine's run: the practice status has
// changed, or the practice time is up.
inline constexpr UINT WM_PRACTICE_CHANGED = kMainMessagesFirst + 4;
inline constexpr UINT WM_PRACTICE_ENDED = kMainMessagesFirst + 5;

inline constexpr UINT kMainMessagesEnd = kMainMessagesFirst + 0x100;
static_assert(AfxIsMessageBlock(kMainMessagesFirst, kMainMessagesEnd,
                                {WM_NEED_TO_CHANGE_BEAT, WM_NEED_TO_CLOSE_BEAT_CHANGE_CTRL,
                                 WM_TICKTOCK_START_SWING, WM_TICKTOCK_FRAMES, WM_PRACTICE_CHANGED,
                                 WM_PRACTICE_ENDED}));
