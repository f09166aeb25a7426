// Standard controls bound to C++ objects.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "framework/Wnd.h"

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int check) const { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }

protected:
    // Owner-drawn buttons draw themselves; the parent's WM_DRAWITEM comes here.
    virtual void DrawItem(DRAWITEMSTRUCT*) {}
    bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
};

class CStatic : public CWnd {
public:
    HBITMAP SetBitmap(HBITMAP bitmap) const {
        return reinterpret_cast<HBITMAP>(
            SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    }
    HBITMAP GetBitmap() const { return reinterpret_cast<HBITMAP>(SendMessage(STM_GETIMAGE, IMAGE_BITMAP)); }
};

class CSliderCtrl : public CWnd {
public:
    int GetRangeMin() const { return static_cast<int>(SendMessage(TBM_GETRANGEMIN)); }
    int GetRangeMax() const { return static_cast<int>(SendMessage(TBM_GETRANGEMAX)); }
    void SetRange(int minimum, int maximum, BOOL redraw = FALSE) const {
        SendMessage(TBM_SETRANGEMIN, FALSE, minimum);
        SendMessage(TBM_SETRANGEMAX, redraw, maximum);
    }
    int GetPos() const { return static_cast<int>(SendMessage(TBM_GETPOS)); }
    void SetPos(int pos, BOOL redraw = TRUE) const { SendMessage(TBM_SETPOS, redraw, pos); }
    void SetTicFreq(int frequency) const { SendMessage(TBM_SETTICFREQ, static_cast<WPARAM>(frequency)); }
    void GetChannelRect(RECT* rect) const {
        SendMessage(TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(rect));
    }
    void GetThumbRect(RECT* rect) const { SendMessage(TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(rect)); }
    void GetSelection(int* start, int* end) const {
        *start = static_cast<int>(SendMessage(TBM_GETSELSTART));
        *end = static_cast<int>(SendMessage(TBM_GETSELEND));
    }
    void SetSelection(int start, int end, BOOL redraw = TRUE) const {
        SendMessage(TBM_SETSELSTART, FALSE, start);
        SendMessage(TBM_SETSELEND, redraw, end);
    }
};
