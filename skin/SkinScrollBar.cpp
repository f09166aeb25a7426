#include "skin/SkinScrollBar.h"

#include <windowsx.h>

#include <memory>

#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "skin/ScrollGeometry.h"

using namespace skinsb;

namespace {

constexpr char kProperty[] = "CoolSBSubclassPtr";

// The timers the bar runs on its window, with ids far above any the window's
// own code uses: the delay before a held arrow or page area repeats, and the
// repeat.
enum TimerId : UINT_PTR {
    kDelayTimer = 0xFFFD,
    kRepeatTimer = 0xFFFE,
};
constexpr UINT kDelayMs = 300;
constexpr UINT kRepeatMs = 55;
// The shortest thumb, in pixels.
constexpr int kMinThumb = 6;

// A press on the bar, from the button going down until it comes up.
struct Press {
    int part = kPartNone;
    // The pressed part while the pointer is on it, else none.
    int drawnPressed = kPartNone;
    SbRect barAtPress;
    int grabOffset = 0;
    int thumbStartAtPress = 0;
    int thumbStart = 0;
    int lastTrackPos = 0;
};

// The vertical bar of one window: a hook ahead of the window's own handling,
// found from the window by its property, deleted when it leaves the window.
class CSkinScrollBars final : public CWnd {
public:
    unsigned state = 0;
    bool shown = false;
    ScrollValues values;
    bool leftScrollBar = false;
    SbInsets insets;
    // The module itself is hiding and restoring the scroll style.
    bool styleGuard = false;
    bool thumbTracking = false;
    bool pressed = false;
    Press press;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void PostNcDestroy() override { delete this; }
};

CSkinScrollBars* Find(HWND hwnd) {
    return hwnd ? static_cast<CSkinScrollBars*>(::GetPropA(hwnd, kProperty)) : nullptr;
}

int ArrowLength() {
    return ::GetSystemMetrics(SM_CYVSCROLL);
}

int BarWidth() {
    return ::GetSystemMetrics(SM_CXVSCROLL);
}

BarFrame FrameOf(HWND hwnd, const CSkinScrollBars& data) {
    RECT rc{};
    ::GetWindowRect(hwnd, &rc);
    BarFrame frame;
    frame.width = rc.right - rc.left;
    frame.height = rc.bottom - rc.top;
    frame.insets = data.insets;
    frame.vShown = data.shown;
    frame.vWidth = BarWidth();
    frame.leftScrollBar = data.leftScrollBar;
    return frame;
}

SbRect BarRectOf(HWND hwnd, const CSkinScrollBars& data) {
    return BarRect(FrameOf(hwnd, data));
}

BarLayout LayoutOf(const CSkinScrollBars& data, const SbRect& rect) {
    BarLayout layout = LayoutBar(rect.top, rect.bottom, ArrowLength(), data.values, kMinThumb, data.state);
    if (data.thumbTracking && data.pressed)
        layout = WithThumbAt(layout, data.press.thumbStart);
    return layout;
}

RECT PartRect(const SbRect& bar, const PartSpan& span) {
    return RECT{bar.left, span.begin, bar.right, span.end};
}

POINT ScreenToWindow(HWND hwnd, POINT pt) {
    RECT rc{};
    ::GetWindowRect(hwnd, &rc);
    return POINT{pt.x - rc.left, pt.y - rc.top};
}

// The part of the shown bar under a point in window coordinates.
int PartAt(HWND hwnd, const CSkinScrollBars& data, POINT pt) {
    if (!data.shown)
        return kPartNone;
    SbRect rect = BarRectOf(hwnd, data);
    if (!rect.Contains(pt.x, pt.y))
        return kPartNone;
    return HitPart(LayoutOf(data, rect), pt.y);
}

LRESULT Notify(HWND hwnd, DWORD stage, HDC dc, const RECT* rect, UINT item, UINT state) {
    HWND parent = ::GetParent(hwnd);
    if (!parent)
        return 0;
    NMSKINSBCUSTOMDRAW nm{};
    nm.hdr.hwndFrom = hwnd;
    nm.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(hwnd));
    nm.hdr.code = NM_SKINSB_CUSTOMDRAW;
    nm.dwDrawStage = stage;
    nm.hdc = dc;
    if (rect)
        nm.rect = *rect;
    nm.uItem = item;
    nm.uState = state;
    nm.nBar = SB_VERT;
    return ::SendMessageA(parent, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
}

UINT PartState(const CSkinScrollBars& data, int part) {
    if (data.pressed && data.press.drawnPressed == part)
        return CDIS_SELECTED;
    bool arrow = part == kPartLineUp || part == kPartLineDown;
    if (arrow && IsArrowDisabled(data.values, data.state, part))
        return CDIS_DISABLED;
    return CDIS_DEFAULT;
}

// The module's own look, much like the platform's bar.
void DrawDefaultPart(HDC dc, RECT rc, int part, UINT state) {
    bool pressed = state == CDIS_SELECTED;
    switch (part) {
    case kPartLineUp:
    case kPartLineDown: {
        UINT kind = part == kPartLineUp ? DFCS_SCROLLUP : DFCS_SCROLLDOWN;
        if (pressed)
            kind |= DFCS_PUSHED | DFCS_FLAT;
        if (state == CDIS_DISABLED)
            kind |= DFCS_INACTIVE;
        ::DrawFrameControl(dc, &rc, DFC_SCROLL, kind);
        break;
    }
    case kPartThumb:
        ::FillRect(dc, &rc, ::GetSysColorBrush(COLOR_BTNFACE));
        ::DrawEdge(dc, &rc, EDGE_RAISED, BF_RECT);
        break;
    default:
        ::FillRect(dc, &rc, ::GetSysColorBrush(pressed ? COLOR_3DDKSHADOW : COLOR_SCROLLBAR));
        break;
    }
}

// Paints the shown bar.
void PaintBar(HWND hwnd, const CSkinScrollBars& data, HDC dc) {
    SbRect rect = BarRectOf(hwnd, data);
    BarLayout layout = LayoutOf(data, rect);
    bool owner = Notify(hwnd, CDDS_PREPAINT, dc, nullptr, 0, 0) == CDRF_SKIPDEFAULT;
    PartSpan parts[5];
    int count = ListParts(layout, parts);
    for (int i = 0; i < count; ++i) {
        RECT rc = PartRect(rect, parts[i]);
        UINT state = PartState(data, parts[i].part);
        if (owner)
            Notify(hwnd, CDDS_ITEMPREPAINT, dc, &rc, static_cast<UINT>(parts[i].part), state);
        else
            DrawDefaultPart(dc, rc, parts[i].part, state);
    }
    Notify(hwnd, CDDS_POSTPAINT, dc, nullptr, 0, 0);
}

void RedrawBar(HWND hwnd, const CSkinScrollBars& data) {
    if (!data.shown || !::IsWindowVisible(hwnd))
        return;
    CWindowDC dc(hwnd);
    if (dc.GetSafeHdc())
        PaintBar(hwnd, data, dc);
}

void RecalcFrame(HWND hwnd) {
    ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void SetStyleGuarded(HWND hwnd, LONG_PTR style) {
    CSkinScrollBars* data = Find(hwnd);
    bool previous = data ? data->styleGuard : false;
    if (data)
        data->styleGuard = true;
    ::SetWindowLongPtrA(hwnd, GWL_STYLE, style);
    if (CSkinScrollBars* after = Find(hwnd))
        after->styleGuard = previous;
}

// The previous procedure with the window's scroll style hidden, so that it
// neither makes room for nor paints the platform's bar.
LRESULT CallWithoutScrollStyle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LONG_PTR style = ::GetWindowLongPtrA(hwnd, GWL_STYLE);
    LONG_PTR bar = style & WS_VSCROLL;
    if (bar)
        SetStyleGuarded(hwnd, style & ~bar);
    LRESULT result = ::DefSubclassProc(hwnd, msg, wp, lp);
    if (bar)
        SetStyleGuarded(hwnd, ::GetWindowLongPtrA(hwnd, GWL_STYLE) | bar);
    return result;
}

// Shows or hides the bar and fits the frame.
void SetBarWanted(HWND hwnd, CSkinScrollBars& data, bool wanted) {
    LONG_PTR style = ::GetWindowLongPtrA(hwnd, GWL_STYLE);
    LONG_PTR changed = style;
    if (wanted) {
        data.state |= kStateWanted;
        changed |= WS_VSCROLL;
    } else {
        data.state &= ~kStateWanted;
        changed &= ~WS_VSCROLL;
    }
    if (changed != style)
        SetStyleGuarded(hwnd, changed);
    RecalcFrame(hwnd);
}

void SendScroll(HWND hwnd, int code, int pos = 0) {
    WPARAM wp = MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(pos));
    ::SendMessageA(hwnd, WM_VSCROLL, wp, 0);
}

// Ends the press: the capture is released and the window told the scroll ended.
void FinishPress(HWND hwnd, CSkinScrollBars& pressedData) {
    Press press = pressedData.press;
    pressedData.pressed = false;
    pressedData.press = Press{};
    ::KillTimer(hwnd, kDelayTimer);
    ::KillTimer(hwnd, kRepeatTimer);
    if (::GetCapture() == hwnd)
        ::ReleaseCapture();
    CSkinScrollBars* data = Find(hwnd);
    if (press.part == kPartThumb && data) {
        SendScroll(hwnd, SB_THUMBPOSITION, data->values.nTrackPos);
        if ((data = Find(hwnd)) != nullptr)
            data->thumbTracking = false;
    }
    if (!::IsWindow(hwnd))
        return;
    SendScroll(hwnd, SB_ENDSCROLL);
    if ((data = Find(hwnd)) != nullptr)
        RedrawBar(hwnd, *data);
}

// Follows the pointer with a pressed arrow or page area; true when the pressed
// part is under it.
bool UpdatePressedPart(HWND hwnd, CSkinScrollBars& data, POINT windowPt) {
    int under = PartAt(hwnd, data, windowPt);
    int drawn = under == data.press.part ? under : kPartNone;
    if (drawn != data.press.drawnPressed) {
        data.press.drawnPressed = drawn;
        RedrawBar(hwnd, data);
    }
    return drawn != kPartNone;
}

LRESULT OnPress(HWND hwnd, CSkinScrollBars& data, POINT screenPt, UINT msg, WPARAM wp, LPARAM lp) {
    if (data.pressed)
        return 0;
    POINT pt = ScreenToWindow(hwnd, screenPt);
    int part = PartAt(hwnd, data, pt);
    if (part == kPartNone)
        return ::DefSubclassProc(hwnd, msg, wp, lp);
    if ((part == kPartLineUp && (data.state & kStateUpDisabled)) ||
        (part == kPartLineDown && (data.state & kStateDownDisabled)) || !IsOperable(data.values, data.state))
        return 0;

    SbRect rect = BarRectOf(hwnd, data);
    data.pressed = true;
    data.press = Press{};
    data.press.part = part;
    data.press.drawnPressed = part;
    if (part == kPartThumb) {
        BarLayout layout = LayoutOf(data, rect);
        data.thumbTracking = true;
        data.values.nTrackPos = data.values.nPos;
        data.press.barAtPress = rect;
        data.press.grabOffset = pt.y - layout.thumbStart;
        data.press.thumbStartAtPress = layout.thumbStart;
        data.press.thumbStart = layout.thumbStart;
        data.press.lastTrackPos = data.values.nPos;
        RedrawBar(hwnd, data);
        ::SetCapture(hwnd);
        return 0;
    }
    SendScroll(hwnd, part);
    CSkinScrollBars* after = Find(hwnd);
    if (!after || !after->pressed)
        return 0;
    RedrawBar(hwnd, *after);
    ::SetTimer(hwnd, kDelayTimer, kDelayMs, nullptr);
    ::SetCapture(hwnd);
    return 0;
}

void OnPressedMouseMove(HWND hwnd, CSkinScrollBars& data, POINT clientPt) {
    POINT screen = clientPt;
    ::ClientToScreen(hwnd, &screen);
    POINT pt = ScreenToWindow(hwnd, screen);
    if (data.press.part != kPartThumb) {
        UpdatePressedPart(hwnd, data, pt);
        return;
    }
    SbRect rect = BarRectOf(hwnd, data);
    BarLayout layout = LayoutBar(rect.top, rect.bottom, ArrowLength(), data.values, kMinThumb, data.state);
    data.press.thumbStart = DragThumbStart(layout, data.press.barAtPress, pt.x, pt.y, data.press.grabOffset,
                                           data.press.thumbStartAtPress);
    RedrawBar(hwnd, data);
    int trackPos = TrackPosFromThumb(data.values, layout, data.press.thumbStart);
    if (trackPos != data.press.lastTrackPos) {
        data.press.lastTrackPos = trackPos;
        data.values.nTrackPos = trackPos;
        SendScroll(hwnd, SB_THUMBTRACK, trackPos);
    }
}

void OnRepeatTick(HWND hwnd, CSkinScrollBars& data) {
    POINT screen{};
    ::GetCursorPos(&screen);
    if (UpdatePressedPart(hwnd, data, ScreenToWindow(hwnd, screen)))
        SendScroll(hwnd, data.press.part);
}

LRESULT OnNcCalcSize(HWND hwnd, WPARAM wp, LPARAM lp) {
    RECT* rc = wp ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lp)->rgrc[0] : reinterpret_cast<RECT*>(lp);
    RECT window = *rc;
    LRESULT result = CallWithoutScrollStyle(hwnd, WM_NCCALCSIZE, wp, lp);
    CSkinScrollBars* data = Find(hwnd);
    if (!data)
        return result;
    data->insets = SbInsets{rc->left - window.left, rc->top - window.top, window.right - rc->right,
                            window.bottom - rc->bottom};
    ClientFit fit = FitBar(SbRect{rc->left, rc->top, rc->right, rc->bottom},
                           (data->state & kStateWanted) != 0, BarWidth(), data->leftScrollBar);
    *rc = RECT{fit.client.left, fit.client.top, fit.client.right, fit.client.bottom};
    data->shown = fit.vShown;
    return result;
}

LRESULT OnNcPaint(HWND hwnd, CSkinScrollBars& data, WPARAM wp, LPARAM lp) {
    if (data.shown) {
        CWindowDC dc(hwnd);
        if (dc.GetSafeHdc())
            PaintBar(hwnd, data, dc);
    }
    return CallWithoutScrollStyle(hwnd, WM_NCPAINT, wp, lp);
}

// Ends a press on the window and forgets its bar; the bar's object goes once
// it has left the window.
void Forget(HWND hwnd, CSkinScrollBars& data) {
    if (data.pressed) {
        data.pressed = false;
        data.press = Press{};
        ::KillTimer(hwnd, kDelayTimer);
        ::KillTimer(hwnd, kRepeatTimer);
        if (::GetCapture() == hwnd)
            ::ReleaseCapture();
    }
    ::RemovePropA(hwnd, kProperty);
}

} // namespace

LRESULT CSkinScrollBars::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    HWND hwnd = m_hWnd;
    CSkinScrollBars* data = Find(hwnd);
    // Forgotten, about to leave the window.
    if (data != this)
        return Default();
    switch (msg) {
    case WM_NCCALCSIZE:
        return OnNcCalcSize(hwnd, wp, lp);
    case WM_NCPAINT:
        return OnNcPaint(hwnd, *this, wp, lp);
    case WM_NCHITTEST: {
        POINT pt = ScreenToWindow(hwnd, POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        if (shown && BarRectOf(hwnd, *this).Contains(pt.x, pt.y))
            return HTVSCROLL;
        break;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        if (wp == HTVSCROLL)
            return OnPress(hwnd, *this, POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}, msg, wp, lp);
        break;
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONUP:
    case WM_NCMBUTTONDBLCLK:
        if (wp == HTVSCROLL)
            return 0;
        break;
    case WM_MOUSEMOVE:
        if (pressed && ::GetCapture() == hwnd) {
            OnPressedMouseMove(hwnd, *this, POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            return 0;
        }
        break;
    case WM_LBUTTONUP:
        if (pressed) {
            FinishPress(hwnd, *this);
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
        // Another window took the mouse: the press ends as if released.
        if (pressed && reinterpret_cast<HWND>(lp) != hwnd)
            FinishPress(hwnd, *this);
        break;
    case WM_TIMER:
        if (wp == kDelayTimer) {
            ::KillTimer(hwnd, kDelayTimer);
            if (pressed)
                ::SetTimer(hwnd, kRepeatTimer, kRepeatMs, nullptr);
            return 0;
        }
        if (wp == kRepeatTimer) {
            if (pressed)
                OnRepeatTick(hwnd, *this);
            else
                ::KillTimer(hwnd, kRepeatTimer);
            return 0;
        }
        break;
    case WM_STYLECHANGED:
        if (styleGuard)
            return 0;
        if (wp == static_cast<WPARAM>(GWL_EXSTYLE))
            leftScrollBar = (reinterpret_cast<const STYLESTRUCT*>(lp)->styleNew & WS_EX_LEFTSCROLLBAR) != 0;
        break;
    case WM_NCDESTROY: {
        LRESULT result = Default();
        Forget(hwnd, *this);
        return result;
    }
    default:
        break;
    }
    return Default();
}

bool SkinSB_Initialize(HWND hwnd) {
    if (!::IsWindow(hwnd) || Find(hwnd))
        return false;
    auto data = std::make_unique<CSkinScrollBars>();
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    if (::GetScrollInfo(hwnd, SB_VERT, &si)) {
        ScrollValues& v = data->values;
        v = ScrollValues{si.nMin, si.nMax, si.nPage, si.nPos, si.nPos};
        v.nPage = ClampPage(v, v.nPage);
        v.nPos = v.nTrackPos = ClampPos(v, v.nPos);
    }
    if (::GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_VSCROLL)
        data->state |= kStateWanted;
    data->leftScrollBar = (::GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR) != 0;
    if (!::SetPropA(hwnd, kProperty, data.get()))
        return false;
    if (!data->HookWindow(hwnd)) {
        ::RemovePropA(hwnd, kProperty);
        return false;
    }
    data.release();
    RecalcFrame(hwnd);
    return true;
}

bool SkinSB_Uninitialize(HWND hwnd) {
    CSkinScrollBars* data = Find(hwnd);
    if (!data)
        return false;
    Forget(hwnd, *data);
    data->UnsubclassWindow();
    RecalcFrame(hwnd);
    return true;
}

BOOL SkinSB_GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info) {
    CSkinScrollBars* data = Find(hwnd);
    if (!data || bar != SB_VERT)
        return ::GetScrollInfo(hwnd, bar, info);
    if (!info)
        return FALSE;
    const ScrollValues& v = data->values;
    if (info->fMask & SIF_RANGE) {
        info->nMin = v.nMin;
        info->nMax = v.nMax;
    }
    if (info->fMask & SIF_PAGE)
        info->nPage = v.nPage;
    if (info->fMask & SIF_POS)
        info->nPos = v.nPos;
    if (info->fMask & SIF_TRACKPOS)
        info->nTrackPos = v.nTrackPos;
    return TRUE;
}

int SkinSB_SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw) {
    CSkinScrollBars* data = Find(hwnd);
    if (!data || bar != SB_VERT)
        return ::SetScrollInfo(hwnd, bar, info, redraw);
    ScrollValues& v = data->values;
    if (!info)
        return v.nPos;
    if (info->fMask & SIF_RANGE) {
        v.nMin = info->nMin;
        v.nMax = info->nMax;
    }
    v.nPage = ClampPage(v, (info->fMask & SIF_PAGE) ? info->nPage : v.nPage);
    v.nPos = ClampPos(v, (info->fMask & SIF_POS) ? info->nPos : v.nPos);
    if (!data->thumbTracking)
        v.nTrackPos = v.nPos;
    int pos = v.nPos;
    bool show = WantsShowing(v, data->state, (info->fMask & SIF_DISABLENOSCROLL) != 0);
    bool wanted = (data->state & kStateWanted) != 0;
    if (show != wanted)
        SetBarWanted(hwnd, *data, show);
    else if (redraw)
        RedrawBar(hwnd, *data);
    return pos;
}

int SkinSB_GetScrollPos(HWND hwnd, int bar) {
    CSkinScrollBars* data = Find(hwnd);
    if (!data || bar != SB_VERT)
        return ::GetScrollPos(hwnd, bar);
    return data->values.nPos;
}

int SkinSB_SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
    CSkinScrollBars* data = Find(hwnd);
    if (!data || bar != SB_VERT)
        return ::SetScrollPos(hwnd, bar, pos, redraw);
    ScrollValues& v = data->values;
    int previous = v.nPos;
    v.nPos = ClampPos(v, pos);
    if (!data->thumbTracking)
        v.nTrackPos = v.nPos;
    if (redraw)
        RedrawBar(hwnd, *data);
    return previous;
}

BOOL SkinSB_SetScrollRange(HWND hwnd, int bar, int minimum, int maximum, BOOL redraw) {
    CSkinScrollBars* data = Find(hwnd);
    if (!data || bar != SB_VERT)
        return ::SetScrollRange(hwnd, bar, minimum, maximum, redraw);
    ScrollValues& v = data->values;
    v.nMin = minimum;
    v.nMax = maximum;
    v.nPage = ClampPage(v, v.nPage);
    v.nPos = ClampPos(v, v.nPos);
    if (!data->thumbTracking)
        v.nTrackPos = v.nPos;
    if (redraw)
        RedrawBar(hwnd, *data);
    return TRUE;
}
