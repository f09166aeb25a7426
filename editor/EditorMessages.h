// Messages between the Custom Beat Setting dialog, its toolbar, the pattern
// grid and the grid's columns. They stay inside the process: constants in the
// editor's block of WM_APP numbers, after the skin kit's.
#pragma once

#include "framework/Wnd.h"
#include "skin/SkinMessages.h"

inline constexpr UINT kEditorMessagesFirst = kSkinMessagesEnd;

// Sent to the dialog on every selection of the toolbar: wParam the item's
// command id, lParam its sound id (0 for the move tool and the eraser).
inline constexpr UINT WM_CBTOOLBAR_ITEM_CHANGED = kEditorMessagesFirst;
// Sent by a track column whose window changed size (wParam 0, lParam 0): the
// grid recomputes its scroll range.
inline constexpr UINT WM_CBLISTBOX_CHANGE_SIZE = kEditorMessagesFirst + 1;
// Sent by a track column that drew a hover preview (wParam 0, lParam 0): the
// grid takes the keyboard focus, so that the wheel scrolls it.
inline constexpr UINT WM_CBLNEEDTOGETFOCUS = kEditorMessagesFirst + 2;
// Sent when a step number was clicked while the preview plays: from the
// step-number column to the grid (wParam the column's window), then from the
// grid to the dialog (wParam the grid's window); lParam the row, not limited to
// the step count.
inline constexpr UINT WM_CCBLBALC_CLICKED_BUTTON = kEditorMessagesFirst + 3;
// Posted by the output stream's render thread to the dialog, a step of the
// preview ahead of its sample: wParam the preview run, lParam the sample.
inline constexpr UINT WM_CB_PREVIEW_TICK = kEditorMessagesFirst + 4;
// Posted when the block with a step's sample is mixed; wParam and lParam as
// above.
inline constexpr UINT WM_CB_PREVIEW_SHOW = kEditorMessagesFirst + 5;

inline constexpr UINT kEditorMessagesEnd = kEditorMessagesFirst + 0x100;
static_assert(AfxIsMessageBlock(kEditorMessagesFirst, kEditorMessagesEnd,
                                {WM_CBTOOLBAR_ITEM_CHANGED, WM_CBLISTBOX_CHANGE_SIZE, WM_CBLNEEDTOGETFOCUS,
                                 WM_CCBLBALC_CLICKED_BUTTON, WM_CB_PREVIEW_TICK, WM_CB_PREVIEW_SHOW}));
