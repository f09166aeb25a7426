// A dialog painted with a bitmap and, when shaped, cut to the bitmap's outline:
// pixels of the key colour are not part of the window.
#pragma once

#include <windows.h>

#include "framework/Dialog.h"
#include "framework/Gdi.h"

class CSkinDialog : public CDialog {
public:
    explicit CSkinDialog(UINT templateId, CWnd* parent = nullptr) : CDialog(templateId, parent) {}

    // Loads the background bitmap; false (and no bitmap) when it cannot.
    bool SetBitmap(UINT id);
    void SetShaped(bool on);
    void SetKeyColour(COLORREF colour);

    // Static texts and check boxes draw no background of their own.
    bool m_bClearStatics = true;
    // A press on the dialog's surface moves the window.
    bool m_bDragBody = false;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    // The bitmap, where there is one.
    BOOL OnEraseBkgnd(HDC dc) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT type) override;

    // Each setter rebuilds the region at once: rectangular unless shaped with
    // a bitmap, else the bitmap's runs of non-key pixels within the client area.
    void RebuildRegion();

    CBitmap m_bitmap;
    bool m_bShaped = false;
    // Replaced by the derived dialog's own key before a shape is kept.
    COLORREF m_crKey = RGB(255, 255, 255);
};
