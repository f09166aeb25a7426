// Custom scroll bars for an ordinary window. The module takes over the window's
// non-client scroll bars: it lays them out, hit-tests and operates them itself,
// and lets the window's parent paint each part through a custom-draw
// notification. The window keeps receiving WM_VSCROLL and WM_HSCROLL as with the
// platform's bars, so its scrolling code stays the same.
//
// Every function takes the window first; for a window the module is not
// attached to, it calls the platform's function of the same purpose.
// Window thread only: one bar in the process can be pressed at a time.
#pragma once

#include <windows.h>

#include <commctrl.h>

// Code of the custom-draw notification (-4095).
inline constexpr UINT NM_SKINSB_CUSTOMDRAW = 0xFFFFF001u;

// Bar styles.
inline constexpr UINT SKINSB_NORMAL = 0;
inline constexpr UINT SKINSB_FLAT = 1;
inline constexpr UINT SKINSB_HOTTRACKED = 2;

// Bar value of a notification for the square between two shown bars.
inline constexpr UINT SKINSB_CORNER = 3;

// Sent with WM_NOTIFY to the window's parent, wParam the window's control id.
// The stage is CDDS_PREPAINT (answer CDRF_SKIPDEFAULT to paint the parts
// yourself), CDDS_ITEMPREPAINT once per part, then CDDS_POSTPAINT. Fields a
// stage does not use are 0. The header is the platform's NMHDR so that the
// notification travels like any other.
struct NMSKINSBCUSTOMDRAW {
    NMHDR hdr;
    DWORD dwDrawStage;
    // The window's device context, in window (non-client) coordinates.
    HDC hdc;
    RECT rect;
    // Part code: 0 up/left arrow, 1 down/right arrow, 2 page up/left,
    // 3 page down/right, 5 thumb; 32 for the corner.
    UINT uItem;
    // CDIS_SELECTED (pressed), CDIS_HOT, CDIS_DISABLED or CDIS_DEFAULT.
    UINT uState;
    // SB_HORZ, SB_VERT or SKINSB_CORNER.
    UINT nBar;
};

// Attaches the module; false if it is attached already (nothing changes then).
bool SkinSB_Initialize(HWND hwnd);
// Detaches it; done by itself when the window is destroyed.
bool SkinSB_Uninitialize(HWND hwnd);

BOOL SkinSB_GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info);
// Returns the new position.
int SkinSB_SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw);
int SkinSB_GetScrollPos(HWND hwnd, int bar);
// Returns the previous position.
int SkinSB_SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw);
BOOL SkinSB_SetScrollRange(HWND hwnd, int bar, int minimum, int maximum, BOOL redraw);
// bar may be SB_BOTH.
BOOL SkinSB_ShowScrollBar(HWND hwnd, int bar, BOOL show);
// One of the SKINSB_ styles; bar may be SB_BOTH.
bool SkinSB_SetStyle(HWND hwnd, int bar, UINT style);
// Pixels; -1 restores the platform's default. bar may be SB_BOTH.
bool SkinSB_SetMinThumbSize(HWND hwnd, int bar, int size);
