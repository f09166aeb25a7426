#include "skin/TempoSlider.h"

#include <initializer_list>
#include <utility>

#include "skin/SkinMath.h"

namespace {

COLORREF Sys(int index) {
    return ::GetSysColor(index);
}

// A pen stroke through the points; like LineTo, the last point is left out.
void Lines(HDC dc, HPEN pen, std::initializer_list<POINT> points) {
    CSelectObject select(dc, pen);
    bool first = true;
    for (POINT p : points) {
        if (first)
            ::MoveToEx(dc, p.x, p.y, nullptr);
        else
            ::LineTo(dc, p.x, p.y);
        first = false;
    }
}

} // namespace

CTempoSlider::CTempoSlider()
    : m_crSelection(Sys(COLOR_HIGHLIGHT)), m_crChannel(Sys(COLOR_WINDOW)), m_crFace(Sys(COLOR_BTNFACE)) {
    UpdateShades();
    CreatePens();
}

void CTempoSlider::SetFaceColour(COLORREF colour) {
    m_crFace = colour;
    UpdateShades();
    CreatePens();
    RedrawNow();
}

void CTempoSlider::SetSelectionColour(COLORREF colour) {
    m_crSelection = colour;
    UpdateShades();
    CreatePens();
    RedrawNow();
}

void CTempoSlider::SetChannelColour(COLORREF colour) {
    m_crChannel = colour;
    UpdateShades();
    CreatePens();
}

void CTempoSlider::UpdateShades() {
    skin::SystemColours system;
    system.buttonFace = Sys(COLOR_BTNFACE);
    system.buttonShadow = Sys(COLOR_BTNSHADOW);
    system.darkShadow = Sys(COLOR_3DDKSHADOW);
    system.buttonHighlight = Sys(COLOR_BTNHIGHLIGHT);
    skin::SliderShades shades = skin::ComputeSliderShades(m_crFace, system);
    m_crLight1 = shades.light1;
    m_crLight2 = shades.light2;
    m_crDark1 = shades.dark1;
    m_crDark2 = shades.dark2;
    m_crDkShadowMid = shades.dkShadowMid;
    m_crShadowMid = shades.shadowMid;
    m_crHilight = shades.hilight;
}

void CTempoSlider::CreatePens() {
    m_penLight1 = CPen(PS_SOLID, 1, m_crLight1);
    m_penLight2 = CPen(PS_SOLID, 1, m_crLight2);
    m_penDark1 = CPen(PS_SOLID, 1, m_crDark1);
    m_penDark2 = CPen(PS_SOLID, 1, m_crDark2);
    m_penDkShadowMid = CPen(PS_SOLID, 1, m_crDkShadowMid);
    m_penShadowMid = CPen(PS_SOLID, 1, m_crShadowMid);
    m_penHilight = CPen(PS_SOLID, 1, m_crHilight);
}

void CTempoSlider::RedrawNow() const {
    if (m_hWnd)
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

// The thumb of a horizontal slider with its ticks below: it points down.
void CTempoSlider::DrawThumb(HDC dc, const RECT& rect) const {
    const COLORREF frame = Sys(COLOR_WINDOWFRAME);
    CPen outline(PS_SOLID, 1, frame);
    CBrush face(m_crFace);
    CSelectObject selectPen(dc, outline);
    CSelectObject selectBrush(dc, face);

    int l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
    const int w = r - l;
    const int d = w >> 1;
    Lines(dc, outline,
          {{l, t + 1},
           {l, b - d},
           {l + d - 1, b - 1},
           {r - d, b - 1},
           {r - 1, b - d},
           {r - 1, t + 1},
           {r - 2, t},
           {l, t}});
    ::ExtFloodFill(dc, l + d, t + d, frame, FLOODFILLBORDER);
    if (w > 5) {
        ::SetPixelV(dc, l + 1, t + 1, m_crLight2);
        Lines(dc, m_penLight1, {{l + 1, t + 2}, {l + 1, b - d + 1}});
        Lines(dc, m_penLight1, {{l + 2, t + 1}, {r - 2, t + 1}});
        Lines(dc, m_penDark1, {{l + 2, b - d + 1}, {l + d - 1, b - 2}, {r - d, b - 2}});
        Lines(dc, m_penDark1, {{r - 2, b - d - 1}, {r - 2, t + 1}});
        Lines(dc, m_penDark2, {{r - d, b - 2}, {r - 1, b - d - 1}});
    }
    ++l, --r, b -= 2;

    if (!IsWindowEnabled())
        return;
    const skin::GripLines grip = skin::GripFor(w);
    for (int i = 0; i < grip.light; ++i) {
        int x = l + 1 + 2 * i;
        Lines(dc, m_penLight1, {{x, t + 5}, {x, b - 5}});
        ::SetPixelV(dc, x, t + 4, m_crLight2);
    }
    for (int i = 0; i < grip.dark; ++i) {
        int x = l + 2 + 2 * i;
        Lines(dc, m_penDark2, {{x, t + 5}, {x, b - 4}});
    }
}

void CTempoSlider::DrawChannel(HDC dc, const RECT& rect) const {
    RECT rc = rect;
    if (GetRangeMin() != 0 || GetRangeMax() != 0) {
        ++rc.top;
        --rc.bottom;
    }
    ++rc.left;
    --rc.right;
    ++rc.bottom;

    // A disabled slider shows an empty channel in the face of the dialog.
    CBrush channel(IsWindowEnabled() ? m_crChannel : Sys(COLOR_BTNFACE));
    {
        CSelectObject selectPen(dc, m_penDkShadowMid);
        CSelectObject selectBrush(dc, channel);
        if (rc.bottom - rc.top > 3)
            ::RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, 2, 2);
    }

    --rc.left, --rc.top, ++rc.right;
    const int l = rc.left, t = rc.top, r = rc.right, b = rc.bottom;
    Lines(dc, m_penShadowMid, {{l, b - 2}, {l, t + 2}, {l + 2, t}, {r - 2, t}});
    Lines(
        dc, m_penHilight,
        {{l + 1, b - 1}, {l + 2, b}, {r - 2, b}, {r - 2, b - 1}, {r - 1, b - 1}, {r - 1, t + 2}, {r - 3, t}});

    int start = 0, end = 0;
    GetSelection(&start, &end);
    auto span =
        skin::SelectionSpan(start, end, GetRangeMin(), GetRangeMax(), rect.left, rect.right - rect.left);
    if (!span)
        return;
    RECT band{span->begin + 2, rect.top + 2, span->end - 2, rect.bottom - 1};
    if (band.left < band.right && band.top < band.bottom) {
        CBrush selection(m_crSelection);
        ::FillRect(dc, &band, selection);
    }
}

LRESULT CTempoSlider::OnCustomDraw(NMCUSTOMDRAW* draw) {
    if (draw->dwDrawStage == CDDS_PREPAINT)
        return CDRF_NOTIFYITEMDRAW;
    if (draw->dwDrawStage != CDDS_ITEMPREPAINT)
        return CDRF_DODEFAULT;
    const RECT& rc = draw->rc;
    if (draw->dwItemSpec == TBCD_THUMB) {
        CSaveDC save(draw->hdc);
        DrawThumb(draw->hdc, rc);
        return CDRF_SKIPDEFAULT;
    }
    if (draw->dwItemSpec == TBCD_CHANNEL) {
        CSaveDC save(draw->hdc);
        DrawChannel(draw->hdc, rc);
        return CDRF_SKIPDEFAULT;
    }
    return CDRF_DODEFAULT;
}

bool CTempoSlider::OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->code == static_cast<UINT>(NM_CUSTOMDRAW)) {
        *result = OnCustomDraw(reinterpret_cast<NMCUSTOMDRAW*>(lp));
        return true;
    }
    return CSliderCtrl::OnChildNotify(msg, wp, lp, result);
}

void CTempoSlider::EndHoverTimer() {
    if (m_nHoverTimer)
        KillTimer(std::exchange(m_nHoverTimer, 0));
}

void CTempoSlider::OnMouseMove() {
    EndHoverTimer();
    if (::GetFocus() != m_hWnd)
        m_nHoverTimer = SetTimer(kHoverTimerId, kHoverDelay);
}

void CTempoSlider::OnHoverTimer() {
    POINT cursor{};
    RECT window{};
    ::GetCursorPos(&cursor);
    GetWindowRect(&window);
    if (::PtInRect(&window, cursor) && ::GetFocus() != m_hWnd)
        SetFocus();
    EndHoverTimer();
}

void CTempoSlider::OnTimer(UINT_PTR id) {
    // The trackbar may take any timer message for its own paging timer (mouse
    // held in the channel): ours is kept from it.
    if (id == kHoverTimerId)
        OnHoverTimer();
    else
        CSliderCtrl::OnTimer(id);
}

void CTempoSlider::OnDestroy() {
    EndHoverTimer();
    CSliderCtrl::OnDestroy();
}

LRESULT CTempoSlider::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_MOUSEMOVE: {
        LRESULT result = Default();
        OnMouseMove();
        return result;
    }
    case WM_KEYDOWN:
        if (wp == VK_PRIOR || wp == VK_NEXT) {
            ::SendMessageA(GetParent(), wp == VK_PRIOR ? WM_SLIDER_PUSH_PGUP : WM_SLIDER_PUSH_PGDOWN, 0, 0);
            return 0;
        }
        break;
    default:
        break;
    }
    return CSliderCtrl::WindowProc(msg, wp, lp);
}
