// A custom vertical scroll bar for an ordinary window. The module takes over
// the window's non-client vertical bar: it lays it out, hit-tests and operates
// it itself, and lets the window's parent paint each part through a
// custom-draw notification. The window keeps receiving WM_VSCROLL as with the
// platform's bar, so its scrolling code stays the same.
//
// Every function takes the window and the bar first; for another bar than
// SB_VERT, or a window the module is not attached to, it calls the
// platform's function of the same purpose. Window thread only.
#pragma once

#include <windows.h>

#include <commctrl.h>

// Code of the custom-draw notification (-4095).
inline constexpr UINT NM_SKINSB_CUSTOMDRAW = 0xFFFFF001u;

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
    // Part code (skin/ScrollGeometry.h): 0 up arrow, 1 down arrow, 2 page up,
    // 3 page down, 5 thumb.
    UINT uItem;
    // CDIS_SELECTED (pressed), CDIS_DISABLED or CDIS_DEFAULT.
    UINT uState;
    // SB_VERT.
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
