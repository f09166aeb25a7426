// Messages between the pattern grid, its columns and the Custom Beat Setting
// dialog. All are sent synchronously to the sender's parent.
#pragma once

#include "framework/Wnd.h"

// A track column's window changed size (wParam 0, lParam 0): the grid
// recomputes its scroll range.
inline const UINT WM_CBLISTBOX_CHANGE_SIZE = AfxRegisterMessage("WM_CBLISTBOX_CHANGE_SIZE");
// A track column drew a hover preview (wParam 0, lParam 0): the grid takes the
// keyboard focus, so that the wheel scrolls it.
inline const UINT WM_CBLNEEDTOGETFOCUS = AfxRegisterMessage("WM_CBLNEEDTOGETFOCUS");
// A step number was clicked while the preview plays: from the step-number column
// to the grid (wParam the column's window), then from the grid to the dialog
// (wParam the grid's window); lParam the row, not limited to the step count.
inline const UINT WM_CCBLBALC_CLICKED_BUTTON = AfxRegisterMessage("WM_CCBLBALC_CLICKED_BUTTON");
