#include "skin/SkinScrollBar.h"

#include <windowsx.h>

#include <memory>

#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "skin/ScrollGeometry.h"

using namespace skinsb;

namespace {

constexpr char kProperty[] = "CoolSBSubclassPtr";

// The timers the bars run on their window.
enum TimerId : UINT_PTR {
    kDelayTimer = 0xFFFD,
    kRepeatTimer = 0xFFFE,
    kHotTimer = static_cast<UINT_PTR>(-14),
};
constexpr UINT kDelayMs = 300;
constexpr UINT kRepeatMs = 55;
constexpr UINT kHotPollMs = 20;

constexpr UINT kCornerItem = 32;

struct BarData {
    unsigned state = 0;
    bool shown = false;
    ScrollValues values;
    // Negative: that many times the platform's metric.
    int arrowLength = -1;
    int width = -1;
    int kind = SB_HORZ;
    UINT style = SKINSB_NORMAL;
    int minThumb = 0;
};

// The bars of one window: a hook ahead of the window's own handling, found
// from the window by its property, deleted when it leaves the window.
class CSkinScrollBars final : public CWnd {
public:
    BarData bars[2];
    bool leftScrollBar = false;
    SbInsets insets;
    // The module itself is hiding and restoring the scroll styles.
    bool styleGuard = false;
    bool thumbTracking = false;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void PostNcDestroy() override { delete this; }
};

// The one press in progress in the process.
struct Press {
    HWND hwnd = nullptr;
    int bar = SB_VERT;
    int part = kPartNone;
    // The pressed part while the pointer is on it, else none.
    int drawnPressed = kPartNone;
    SbRect barAtPress;
    int grabOffset = 0;
    int thumbStartAtPress = 0;
    int thumbStart = 0;
    int lastTrackPos = 0;
};

struct Hot {
    HWND hwnd = nullptr;
    int bar = SB_VERT;
    SbRect rect;
    int part = kPartNone;
};

Press g_press;
Hot g_hot;

CSkinScrollBars* Find(HWND hwnd) {
    return hwnd ? static_cast<CSkinScrollBars*>(::GetPropA(hwnd, kProperty)) : nullptr;
}

bool IsBar(int bar) {
    return bar == SB_HORZ || bar == SB_VERT;
}

int DefaultMinThumb() {
    DWORD version = ::GetVersion();
    bool win9x = (version & 0x80000000u) != 0;
    return (win9x || LOBYTE(LOWORD(version)) < 5) ? 8 : 6;
}

int Metric(int value, int index) {
    return value < 0 ? -value * ::GetSystemMetrics(index) : value;
}

int ArrowLength(const BarData& bar) {
    return Metric(bar.arrowLength, bar.kind == SB_VERT ? SM_CYVSCROLL : SM_CXHSCROLL);
}

int BarWidth(const BarData& bar) {
    return Metric(bar.width, bar.kind == SB_VERT ? SM_CXVSCROLL : SM_CYHSCROLL);
}

BarFrame FrameOf(HWND hwnd, const CSkinScrollBars& data) {
    RECT rc{};
    ::GetWindowRect(hwnd, &rc);
    BarFrame frame;
    frame.width = rc.right - rc.left;
    frame.height = rc.bottom - rc.top;
    frame.insets = data.insets;
    frame.hShown = data.bars[SB_HORZ].shown;
    frame.hWidth = BarWidth(data.bars[SB_HORZ]);
    frame.vShown = data.bars[SB_VERT].shown;
    frame.vWidth = BarWidth(data.bars[SB_VERT]);
    frame.leftScrollBar = data.leftScrollBar;
    return frame;
}

SbRect BarRectOf(HWND hwnd, const CSkinScrollBars& data, int bar) {
    return BarRect(FrameOf(hwnd, data), bar == SB_VERT);
}

BarLayout LayoutOf(HWND hwnd, const CSkinScrollBars& data, int bar, const SbRect& rect) {
    const BarData& b = data.bars[bar];
    bool vertical = bar == SB_VERT;
    BarLayout layout = LayoutBar(vertical ? rect.top : rect.left, vertical ? rect.bottom : rect.right,
                                 ArrowLength(b), b.values, b.minThumb, b.state);
    if (data.thumbTracking && g_press.hwnd == hwnd && g_press.bar == bar)
        layout = WithThumbAt(layout, g_press.thumbStart);
    return layout;
}

RECT PartRect(const SbRect& bar, bool vertical, const PartSpan& span) {
    if (vertical)
        return RECT{bar.left, span.begin, bar.right, span.end};
    return RECT{span.begin, bar.top, span.end, bar.bottom};
}

POINT ScreenToWindow(HWND hwnd, POINT pt) {
    RECT rc{};
    ::GetWindowRect(hwnd, &rc);
    return POINT{pt.x - rc.left, pt.y - rc.top};
}

// The part of a shown bar under a point in window coordinates.
int PartAt(HWND hwnd, const CSkinScrollBars& data, int bar, POINT pt) {
    if (!data.bars[bar].shown)
        return kPartNone;
    SbRect rect = BarRectOf(hwnd, data, bar);
    if (!rect.Contains(pt.x, pt.y))
        return kPartNone;
    return HitPart(LayoutOf(hwnd, data, bar, rect), bar == SB_VERT ? pt.y : pt.x);
}

LRESULT Notify(HWND hwnd, DWORD stage, HDC dc, const RECT* rect, UINT item, UINT state, UINT bar) {
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
    nm.nBar = bar;
    return ::SendMessageA(parent, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
}

UINT PartState(HWND hwnd, const CSkinScrollBars& data, int bar, int part) {
    if (g_press.hwnd == hwnd && g_press.bar == bar && g_press.drawnPressed == part)
        return CDIS_SELECTED;
    bool arrow = part == kPartLineUp || part == kPartLineDown;
    const BarData& b = data.bars[bar];
    if ((arrow || part == kPartThumb) && b.style == SKINSB_HOTTRACKED && g_hot.hwnd == hwnd &&
        g_hot.bar == bar && g_hot.part == part)
        return CDIS_HOT;
    if (arrow && IsArrowDisabled(b.values, b.state, part))
        return CDIS_DISABLED;
    return CDIS_DEFAULT;
}

// The module's own look, much like the platform's bars.
void DrawDefaultPart(HDC dc, RECT rc, int part, UINT state, bool vertical, UINT style) {
    bool pressed = state == CDIS_SELECTED;
    bool hot = state == CDIS_HOT;
    switch (part) {
    case kPartLineUp:
    case kPartLineDown: {
        UINT kind = part == kPartLineUp ? (vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT)
                                        : (vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT);
        if (pressed)
            kind |= DFCS_PUSHED | DFCS_FLAT;
        if (state == CDIS_DISABLED)
            kind |= DFCS_INACTIVE;
        if (style != SKINSB_NORMAL && !hot)
            kind |= DFCS_FLAT;
        ::DrawFrameControl(dc, &rc, DFC_SCROLL, kind);
        break;
    }
    case kPartThumb:
        ::FillRect(dc, &rc, ::GetSysColorBrush(hot ? COLOR_3DHILIGHT : COLOR_BTNFACE));
        if (style == SKINSB_NORMAL)
            ::DrawEdge(dc, &rc, EDGE_RAISED, BF_RECT);
        else
            ::FrameRect(dc, &rc, ::GetSysColorBrush(COLOR_3DSHADOW));
        break;
    default:
        ::FillRect(dc, &rc, ::GetSysColorBrush(pressed ? COLOR_3DDKSHADOW : COLOR_SCROLLBAR));
        break;
    }
}

// Paints one shown bar; true when the parent paints the parts.
bool PaintBar(HWND hwnd, const CSkinScrollBars& data, int bar, HDC dc) {
    bool vertical = bar == SB_VERT;
    SbRect rect = BarRectOf(hwnd, data, bar);
    BarLayout layout = LayoutOf(hwnd, data, bar, rect);
    UINT barValue = static_cast<UINT>(bar);
    bool owner = Notify(hwnd, CDDS_PREPAINT, dc, nullptr, 0, 0, barValue) == CDRF_SKIPDEFAULT;
    PartSpan parts[5];
    int count = ListParts(layout, parts);
    for (int i = 0; i < count; ++i) {
        RECT rc = PartRect(rect, vertical, parts[i]);
        UINT state = PartState(hwnd, data, bar, parts[i].part);
        if (owner)
            Notify(hwnd, CDDS_ITEMPREPAINT, dc, &rc, static_cast<UINT>(parts[i].part), state, barValue);
        else
            DrawDefaultPart(dc, rc, parts[i].part, state, vertical, data.bars[bar].style);
    }
    Notify(hwnd, CDDS_POSTPAINT, dc, nullptr, 0, 0, barValue);
    return owner;
}

void PaintCorner(HWND hwnd, const CSkinScrollBars& data, HDC dc, bool owner) {
    SbRect corner = CornerRect(FrameOf(hwnd, data));
    RECT rc{corner.left, corner.top, corner.right, corner.bottom};
    if (owner) {
        Notify(hwnd, CDDS_ITEMPREPAINT, dc, &rc, kCornerItem, CDIS_DEFAULT, SKINSB_CORNER);
        return;
    }
    // A window in its parent's bottom right corner shows the size grip there.
    HWND parent = ::GetParent(hwnd);
    RECT window{};
    RECT client{};
    ::GetWindowRect(hwnd, &window);
    if (parent && ::GetClientRect(parent, &client)) {
        ::MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&client), 2);
        if (window.right == client.right && window.bottom == client.bottom) {
            ::DrawFrameControl(dc, &rc, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
            return;
        }
    }
    ::FillRect(dc, &rc, ::GetSysColorBrush(COLOR_BTNFACE));
}

void RedrawBar(HWND hwnd, const CSkinScrollBars& data, int bar) {
    if (!data.bars[bar].shown || !::IsWindowVisible(hwnd))
        return;
    CWindowDC dc(hwnd);
    if (dc.GetSafeHdc())
        PaintBar(hwnd, data, bar, dc);
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

// The previous procedure with the window's scroll styles hidden, so that it
// neither makes room for nor paints the platform's bars.
LRESULT CallWithoutScrollStyles(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LONG_PTR style = ::GetWindowLongPtrA(hwnd, GWL_STYLE);
    LONG_PTR bars = style & (WS_HSCROLL | WS_VSCROLL);
    if (bars)
        SetStyleGuarded(hwnd, style & ~bars);
    LRESULT result = ::DefSubclassProc(hwnd, msg, wp, lp);
    if (bars)
        SetStyleGuarded(hwnd, ::GetWindowLongPtrA(hwnd, GWL_STYLE) | bars);
    return result;
}

// Shows or hides bars (SB_HORZ, SB_VERT or SB_BOTH) and fits the frame.
void SetBarsWanted(HWND hwnd, CSkinScrollBars& data, int which, bool wanted) {
    LONG_PTR style = ::GetWindowLongPtrA(hwnd, GWL_STYLE);
    LONG_PTR changed = style;
    for (int bar : {SB_HORZ, SB_VERT}) {
        if (which != bar && which != SB_BOTH)
            continue;
        LONG_PTR bit = bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
        if (wanted) {
            data.bars[bar].state |= kStateWanted;
            changed |= bit;
        } else {
            data.bars[bar].state &= ~kStateWanted;
            changed &= ~bit;
        }
    }
    if (changed != style)
        SetStyleGuarded(hwnd, changed);
    RecalcFrame(hwnd);
}

void SendScroll(HWND hwnd, int bar, int code, int pos = 0) {
    WPARAM wp = MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(pos));
    ::SendMessageA(hwnd, bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, wp, 0);
}

void StopHot() {
    if (!g_hot.hwnd)
        return;
    HWND hwnd = g_hot.hwnd;
    int bar = g_hot.bar;
    g_hot = Hot{};
    ::KillTimer(hwnd, kHotTimer);
    if (CSkinScrollBars* data = Find(hwnd); data && data->bars[bar].style == SKINSB_HOTTRACKED)
        RedrawBar(hwnd, *data, bar);
}

// Ends the press: the capture is released and the window told the scroll ended.
void FinishPress(HWND hwnd) {
    Press press = g_press;
    g_press = Press{};
    ::KillTimer(hwnd, kDelayTimer);
    ::KillTimer(hwnd, kRepeatTimer);
    if (::GetCapture() == hwnd)
        ::ReleaseCapture();
    CSkinScrollBars* data = Find(hwnd);
    if (press.part == kPartThumb && data) {
        int trackPos = data->bars[press.bar].values.nTrackPos;
        SendScroll(hwnd, press.bar, SB_THUMBPOSITION, trackPos);
        if ((data = Find(hwnd)) != nullptr)
            data->thumbTracking = false;
    }
    if (!::IsWindow(hwnd))
        return;
    SendScroll(hwnd, press.bar, SB_ENDSCROLL);
    if ((data = Find(hwnd)) != nullptr)
        RedrawBar(hwnd, *data, press.bar);
}

// Follows the pointer with a pressed arrow or page area; true when the pressed
// part is under it.
bool UpdatePressedPart(HWND hwnd, const CSkinScrollBars& data, POINT windowPt) {
    int under = PartAt(hwnd, data, g_press.bar, windowPt);
    int drawn = under == g_press.part ? under : kPartNone;
    if (drawn != g_press.drawnPressed) {
        g_press.drawnPressed = drawn;
        RedrawBar(hwnd, data, g_press.bar);
    }
    return drawn != kPartNone;
}

LRESULT OnPress(HWND hwnd, CSkinScrollBars& data, int bar, POINT screenPt, UINT msg, WPARAM wp, LPARAM lp) {
    if (g_press.hwnd)
        return 0;
    POINT pt = ScreenToWindow(hwnd, screenPt);
    int part = PartAt(hwnd, data, bar, pt);
    if (part == kPartNone)
        return ::DefSubclassProc(hwnd, msg, wp, lp);
    const BarData& b = data.bars[bar];
    if ((part == kPartLineUp && (b.state & kStateUpDisabled)) ||
        (part == kPartLineDown && (b.state & kStateDownDisabled)) || !IsOperable(b.values, b.state))
        return 0;

    SbRect rect = BarRectOf(hwnd, data, bar);
    g_press = Press{};
    g_press.hwnd = hwnd;
    g_press.bar = bar;
    g_press.part = part;
    g_press.drawnPressed = part;
    if (part == kPartThumb) {
        BarLayout layout = LayoutOf(hwnd, data, bar, rect);
        data.thumbTracking = true;
        data.bars[bar].values.nTrackPos = b.values.nPos;
        g_press.barAtPress = rect;
        g_press.grabOffset = (bar == SB_VERT ? pt.y : pt.x) - layout.thumbStart;
        g_press.thumbStartAtPress = layout.thumbStart;
        g_press.thumbStart = layout.thumbStart;
        g_press.lastTrackPos = b.values.nPos;
        RedrawBar(hwnd, data, bar);
        ::SetCapture(hwnd);
        return 0;
    }
    SendScroll(hwnd, bar, part);
    CSkinScrollBars* after = Find(hwnd);
    if (!after || g_press.hwnd != hwnd)
        return 0;
    RedrawBar(hwnd, *after, bar);
    ::SetTimer(hwnd, kDelayTimer, kDelayMs, nullptr);
    ::SetCapture(hwnd);
    return 0;
}

void OnPressedMouseMove(HWND hwnd, CSkinScrollBars& data, POINT clientPt) {
    POINT screen = clientPt;
    ::ClientToScreen(hwnd, &screen);
    POINT pt = ScreenToWindow(hwnd, screen);
    if (g_press.part != kPartThumb) {
        UpdatePressedPart(hwnd, data, pt);
        return;
    }
    int bar = g_press.bar;
    bool vertical = bar == SB_VERT;
    SbRect rect = BarRectOf(hwnd, data, bar);
    const BarData& b = data.bars[bar];
    BarLayout layout = LayoutBar(vertical ? rect.top : rect.left, vertical ? rect.bottom : rect.right,
                                 ArrowLength(b), b.values, b.minThumb, b.state);
    g_press.thumbStart = DragThumbStart(layout, g_press.barAtPress, vertical, pt.x, pt.y, g_press.grabOffset,
                                        g_press.thumbStartAtPress);
    RedrawBar(hwnd, data, bar);
    int trackPos = TrackPosFromThumb(b.values, layout, g_press.thumbStart);
    if (trackPos != g_press.lastTrackPos) {
        g_press.lastTrackPos = trackPos;
        data.bars[bar].values.nTrackPos = trackPos;
        SendScroll(hwnd, bar, SB_THUMBTRACK, trackPos);
    }
}

void OnRepeatTick(HWND hwnd, const CSkinScrollBars& data) {
    POINT screen{};
    ::GetCursorPos(&screen);
    if (UpdatePressedPart(hwnd, data, ScreenToWindow(hwnd, screen)))
        SendScroll(hwnd, g_press.bar, g_press.part);
}

void OnHotMove(HWND hwnd, const CSkinScrollBars& data, int bar, POINT screenPt) {
    if (g_hot.hwnd == hwnd && g_hot.bar == bar)
        return;
    StopHot();
    g_hot.hwnd = hwnd;
    g_hot.bar = bar;
    g_hot.rect = BarRectOf(hwnd, data, bar);
    g_hot.part = PartAt(hwnd, data, bar, ScreenToWindow(hwnd, screenPt));
    ::SetTimer(hwnd, kHotTimer, kHotPollMs, nullptr);
    if (data.bars[bar].style == SKINSB_HOTTRACKED)
        RedrawBar(hwnd, data, bar);
}

void OnHotTick(HWND hwnd, const CSkinScrollBars& data) {
    if (g_hot.hwnd != hwnd) {
        ::KillTimer(hwnd, kHotTimer);
        return;
    }
    if (data.thumbTracking)
        return;
    POINT screen{};
    ::GetCursorPos(&screen);
    POINT pt = ScreenToWindow(hwnd, screen);
    if (!g_hot.rect.Contains(pt.x, pt.y)) {
        StopHot();
        return;
    }
    int part = PartAt(hwnd, data, g_hot.bar, pt);
    if (part != g_hot.part) {
        g_hot.part = part;
        if (data.bars[g_hot.bar].style == SKINSB_HOTTRACKED)
            RedrawBar(hwnd, data, g_hot.bar);
    }
}

LRESULT OnNcCalcSize(HWND hwnd, WPARAM wp, LPARAM lp) {
    RECT* rc = wp ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lp)->rgrc[0] : reinterpret_cast<RECT*>(lp);
    RECT window = *rc;
    LRESULT result = CallWithoutScrollStyles(hwnd, WM_NCCALCSIZE, wp, lp);
    CSkinScrollBars* data = Find(hwnd);
    if (!data)
        return result;
    data->insets = SbInsets{rc->left - window.left, rc->top - window.top, window.right - rc->right,
                            window.bottom - rc->bottom};
    const BarData& h = data->bars[SB_HORZ];
    const BarData& v = data->bars[SB_VERT];
    ClientFit fit = FitBars(SbRect{rc->left, rc->top, rc->right, rc->bottom}, (h.state & kStateWanted) != 0,
                            BarWidth(h), (v.state & kStateWanted) != 0, BarWidth(v), data->leftScrollBar);
    *rc = RECT{fit.client.left, fit.client.top, fit.client.right, fit.client.bottom};
    data->bars[SB_HORZ].shown = fit.hShown;
    data->bars[SB_VERT].shown = fit.vShown;
    return result;
}

LRESULT OnNcPaint(HWND hwnd, CSkinScrollBars& data, WPARAM wp, LPARAM lp) {
    bool owner = false;
    {
        CWindowDC dc(hwnd);
        if (dc.GetSafeHdc()) {
            for (int bar : {SB_HORZ, SB_VERT}) {
                if (data.bars[bar].shown)
                    owner = PaintBar(hwnd, data, bar, dc) || owner;
            }
        }
    }
    LRESULT result = CallWithoutScrollStyles(hwnd, WM_NCPAINT, wp, lp);
    CSkinScrollBars* after = Find(hwnd);
    if (after && after->bars[SB_HORZ].shown && after->bars[SB_VERT].shown) {
        CWindowDC dc(hwnd);
        if (dc.GetSafeHdc())
            PaintCorner(hwnd, *after, dc, owner);
    }
    return result;
}

// Ends a press and the hot state on the window and forgets its bars; the
// bars' object goes once it has left the window.
void Forget(HWND hwnd) {
    if (g_press.hwnd == hwnd) {
        g_press = Press{};
        ::KillTimer(hwnd, kDelayTimer);
        ::KillTimer(hwnd, kRepeatTimer);
        if (::GetCapture() == hwnd)
            ::ReleaseCapture();
    }
    if (g_hot.hwnd == hwnd) {
        g_hot = Hot{};
        ::KillTimer(hwnd, kHotTimer);
    }
    ::RemovePropA(hwnd, kProperty);
}

int BarOfHitCode(WPARAM hit) {
    if (hit == HTHSCROLL)
        return SB_HORZ;
    if (hit == HTVSCROLL)
        return SB_VERT;
    return -1;
}

} // namespace

LRESULT CSkinScrollBars::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    HWND hwnd = m_hWnd;
    CSkinScrollBars* data = Find(hwnd);
    // Forgotten, about to leave the window.
    if (data != this)
        return Default();
    bool pressedHere = g_press.hwnd == hwnd;
    switch (msg) {
    case WM_NCCALCSIZE:
        return OnNcCalcSize(hwnd, wp, lp);
    case WM_NCPAINT:
        return OnNcPaint(hwnd, *data, wp, lp);
    case WM_NCHITTEST: {
        POINT pt = ScreenToWindow(hwnd, POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        if (data->bars[SB_HORZ].shown && BarRectOf(hwnd, *data, SB_HORZ).Contains(pt.x, pt.y))
            return HTHSCROLL;
        if (data->bars[SB_VERT].shown && BarRectOf(hwnd, *data, SB_VERT).Contains(pt.x, pt.y))
            return HTVSCROLL;
        break;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        if (int bar = BarOfHitCode(wp); bar >= 0)
            return OnPress(hwnd, *data, bar, POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}, msg, wp, lp);
        break;
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONUP:
    case WM_NCMBUTTONDBLCLK:
        if (BarOfHitCode(wp) >= 0)
            return 0;
        break;
    case WM_NCMOUSEMOVE:
        if (int bar = BarOfHitCode(wp); bar >= 0)
            OnHotMove(hwnd, *data, bar, POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        break;
    case WM_MOUSEMOVE:
        if (pressedHere && ::GetCapture() == hwnd) {
            OnPressedMouseMove(hwnd, *data, POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            return 0;
        }
        break;
    case WM_LBUTTONUP:
        if (pressedHere) {
            FinishPress(hwnd);
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
        // Another window took the mouse: the press ends as if released.
        if (pressedHere && reinterpret_cast<HWND>(lp) != hwnd)
            FinishPress(hwnd);
        break;
    case WM_TIMER:
        if (wp == kDelayTimer) {
            ::KillTimer(hwnd, kDelayTimer);
            if (pressedHere)
                ::SetTimer(hwnd, kRepeatTimer, kRepeatMs, nullptr);
            return 0;
        }
        if (wp == kRepeatTimer) {
            if (pressedHere)
                OnRepeatTick(hwnd, *data);
            else
                ::KillTimer(hwnd, kRepeatTimer);
            return 0;
        }
        if (wp == kHotTimer) {
            OnHotTick(hwnd, *data);
            return 0;
        }
        break;
    case WM_STYLECHANGED:
        if (data->styleGuard)
            return 0;
        if (wp == static_cast<WPARAM>(GWL_EXSTYLE))
            data->leftScrollBar =
                (reinterpret_cast<const STYLESTRUCT*>(lp)->styleNew & WS_EX_LEFTSCROLLBAR) != 0;
        break;
    case WM_NCDESTROY: {
        LRESULT result = Default();
        Forget(hwnd);
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
    LONG_PTR style = ::GetWindowLongPtrA(hwnd, GWL_STYLE);
    int minThumb = DefaultMinThumb();
    for (int bar : {SB_HORZ, SB_VERT}) {
        BarData& b = data->bars[bar];
        b.kind = bar;
        b.minThumb = minThumb;
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_ALL;
        if (::GetScrollInfo(hwnd, bar, &si)) {
            b.values = ScrollValues{si.nMin, si.nMax, si.nPage, si.nPos, si.nPos};
            b.values.nPage = ClampPage(b.values, b.values.nPage);
            b.values.nPos = b.values.nTrackPos = ClampPos(b.values, b.values.nPos);
        }
        if (style & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL))
            b.state |= kStateWanted;
    }
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
    Forget(hwnd);
    data->UnsubclassWindow();
    RecalcFrame(hwnd);
    return true;
}

BOOL SkinSB_GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info) {
    CSkinScrollBars* data = Find(hwnd);
    if (!data || !IsBar(bar))
        return ::GetScrollInfo(hwnd, bar, info);
    if (!info)
        return FALSE;
    const ScrollValues& v = data->bars[bar].values;
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
    if (!data || !IsBar(bar))
        return ::SetScrollInfo(hwnd, bar, info, redraw);
    BarData& b = data->bars[bar];
    if (!info)
        return b.values.nPos;
    ScrollValues& v = b.values;
    if (info->fMask & SIF_RANGE) {
        v.nMin = info->nMin;
        v.nMax = info->nMax;
    }
    v.nPage = ClampPage(v, (info->fMask & SIF_PAGE) ? info->nPage : v.nPage);
    v.nPos = ClampPos(v, (info->fMask & SIF_POS) ? info->nPos : v.nPos);
    if (!data->thumbTracking)
        v.nTrackPos = v.nPos;
    int pos = v.nPos;
    bool show = WantsShowing(v, b.state, (info->fMask & SIF_DISABLENOSCROLL) != 0);
    bool wanted = (b.state & kStateWanted) != 0;
    if (show != wanted)
        SetBarsWanted(hwnd, *data, bar, show);
    else if (redraw)
        RedrawBar(hwnd, *data, bar);
    return pos;
}

int SkinSB_GetScrollPos(HWND hwnd, int bar) {
    CSkinScrollBars* data = Find(hwnd);
    if (!data || !IsBar(bar))
        return ::GetScrollPos(hwnd, bar);
    return data->bars[bar].values.nPos;
}

int SkinSB_SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
    CSkinScrollBars* data = Find(hwnd);
    if (!data || !IsBar(bar))
        return ::SetScrollPos(hwnd, bar, pos, redraw);
    ScrollValues& v = data->bars[bar].values;
    int previous = v.nPos;
    v.nPos = ClampPos(v, pos);
    if (!data->thumbTracking)
        v.nTrackPos = v.nPos;
    if (redraw)
        RedrawBar(hwnd, *data, bar);
    return previous;
}

BOOL SkinSB_SetScrollRange(HWND hwnd, int bar, int minimum, int maximum, BOOL redraw) {
    CSkinScrollBars* data = Find(hwnd);
    if (!data || !IsBar(bar))
        return ::SetScrollRange(hwnd, bar, minimum, maximum, redraw);
    ScrollValues& v = data->bars[bar].values;
    v.nMin = minimum;
    v.nMax = maximum;
    v.nPage = ClampPage(v, v.nPage);
    v.nPos = ClampPos(v, v.nPos);
    if (!data->thumbTracking)
        v.nTrackPos = v.nPos;
    if (redraw)
        RedrawBar(hwnd, *data, bar);
    return TRUE;
}

BOOL SkinSB_ShowScrollBar(HWND hwnd, int bar, BOOL show) {
    CSkinScrollBars* data = Find(hwnd);
    if (!data || (!IsBar(bar) && bar != SB_BOTH))
        return ::ShowScrollBar(hwnd, bar, show);
    SetBarsWanted(hwnd, *data, bar, show != FALSE);
    return TRUE;
}

bool SkinSB_SetStyle(HWND hwnd, int bar, UINT style) {
    CSkinScrollBars* data = Find(hwnd);
    if (!data || style > SKINSB_HOTTRACKED)
        return false;
    for (int b : {SB_HORZ, SB_VERT}) {
        if (b == bar || bar == SB_BOTH) {
            data->bars[b].style = style;
            RedrawBar(hwnd, *data, b);
        }
    }
    return true;
}

bool SkinSB_SetMinThumbSize(HWND hwnd, int bar, int size) {
    CSkinScrollBars* data = Find(hwnd);
    if (!data)
        return false;
    for (int b : {SB_HORZ, SB_VERT}) {
        if (b == bar || bar == SB_BOTH)
            data->bars[b].minThumb = size < 0 ? DefaultMinThumb() : size;
    }
    return true;
}
