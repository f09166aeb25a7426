#include "skin/SkinButton.h"

#include <windowsx.h>

namespace {

// The button-type bits of a button's style, and the ones BM_SETSTYLE clears
// before it makes the type owner-drawn again.
constexpr DWORD kTypeBits = 0x1F;
constexpr DWORD kSetStyleCleared = 0x14;

void FillSolid(HDC dc, int x, int y, int cx, int cy, COLORREF colour) {
    RECT rc{x, y, x + cx, y + cy};
    COLORREF old = ::SetBkColor(dc, colour);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}

void Draw3dRect(HDC dc, const RECT& rc, COLORREF topLeft, COLORREF bottomRight) {
    int cx = rc.right - rc.left;
    int cy = rc.bottom - rc.top;
    FillSolid(dc, rc.left, rc.top, cx - 1, 1, topLeft);
    FillSolid(dc, rc.left, rc.top, 1, cy - 1, topLeft);
    FillSolid(dc, rc.right - 1, rc.top, 1, cy, bottomRight);
    FillSolid(dc, rc.left, rc.bottom - 1, cx, 1, bottomRight);
}

} // namespace

CSkinButton::CSkinButton() : m_crFace(::GetSysColor(COLOR_BTNFACE)) {}

CSkinButton::Result CSkinButton::SetImages(UINT hotId, COLORREF hotKey, UINT normalId, COLORREF normalKey,
                                           UINT disabledId, COLORREF disabledKey) {
    const UINT ids[] = {hotId, normalId, disabledId};
    const COLORREF keys[] = {hotKey, normalKey, disabledKey};
    CSkinImage::Result result = CSkinImage::kOk;
    for (int i = 0; i < 3 && result == CSkinImage::kOk; ++i)
        result = m_images[i].Load(ids[i], keys[i]);
    if (result != CSkinImage::kOk) {
        for (CSkinImage& image : m_images)
            image.Reset();
    }
    Redraw(TRUE);
    return static_cast<Result>(result);
}

CSkinButton::Result CSkinButton::SetPressStyle(PressStyle style, BOOL redraw) {
    switch (style) {
    case kPressShiftRightDown:
        m_nPressShiftX = 1;
        m_nPressShiftY = 1;
        break;
    case kPressShiftDown:
        m_nPressShiftX = 0;
        m_nPressShiftY = 2;
        break;
    case kPressStill:
        m_nPressShiftX = 0;
        m_nPressShiftY = 0;
        break;
    default:
        return kUnknownPressStyle;
    }
    Redraw(redraw);
    return kOk;
}

CSkinButton::Result CSkinButton::EnableBorder(BOOL on, BOOL redraw) {
    m_bBorder = on != FALSE;
    Redraw(redraw);
    return kOk;
}

CSkinButton::Result CSkinButton::EnableFocusRect(BOOL on, BOOL redraw) {
    m_bFocusRect = on != FALSE;
    Redraw(redraw);
    return kOk;
}

BOOL CSkinButton::PreTranslateMessage(MSG* msg) {
    if (msg->hwnd == m_hWnd && msg->message == WM_LBUTTONDBLCLK)
        msg->message = WM_LBUTTONDOWN;
    return CButton::PreTranslateMessage(msg);
}

void CSkinButton::PreSubclassWindow() {
    DWORD style = GetStyle();
    m_bDefault = (style & kTypeBits) == BS_DEFPUSHBUTTON;
    ModifyStyle(kTypeBits, BS_OWNERDRAW, SWP_FRAMECHANGED);
    Invalidate();
}

LRESULT CSkinButton::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_MOUSEMOVE:
        OnMouseMove(wp, lp);
        return 0;
    case WM_MOUSELEAVE:
        LeaveHot();
        return 0;
    case WM_KILLFOCUS:
    case WM_CANCELMODE: {
        LRESULT result = Default();
        LeaveHot();
        return result;
    }
    case WM_ACTIVATE: {
        LRESULT result = Default();
        if (LOWORD(wp) == WA_INACTIVE)
            LeaveHot();
        return result;
    }
    case WM_ENABLE: {
        LRESULT result = Default();
        if (!wp)
            OnDisabled();
        return result;
    }
    case WM_GETDLGCODE:
        return Default() | (m_bDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case BM_SETSTYLE: {
        DWORD type = static_cast<DWORD>(wp) & kTypeBits;
        if (type == BS_DEFPUSHBUTTON)
            m_bDefault = true;
        else if (type == BS_PUSHBUTTON)
            m_bDefault = false;
        return DefWindowProc(msg, (static_cast<DWORD>(wp) & ~kSetStyleCleared) | BS_OWNERDRAW, lp);
    }
    case WM_SYSCOLORCHANGE: {
        LRESULT result = Default();
        m_crFace = ::GetSysColor(COLOR_BTNFACE);
        Invalidate();
        return result;
    }
    default:
        return CButton::WindowProc(msg, wp, lp);
    }
}

bool CSkinButton::OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    if (msg == WM_CTLCOLORBTN) {
        *result = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
        return true;
    }
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        // The focus rectangle shows which button was used last; the parent
        // still gets the click.
        SetFocus();
        return false;
    }
    return CButton::OnChildNotify(msg, wp, lp, result);
}

const CSkinImage& CSkinButton::CurrentImage() const {
    if (m_bDisabled && !m_images[kDisabledImage].IsEmpty())
        return m_images[kDisabledImage];
    if (m_bPressed || m_bHot || m_images[kNormalImage].IsEmpty())
        return m_images[kHotImage];
    return m_images[kNormalImage];
}

void CSkinButton::DrawItem(DRAWITEMSTRUCT* dis) {
    HDC dc = dis->hDC;
    const RECT& rc = dis->rcItem;
    m_bPressed = (dis->itemState & ODS_SELECTED) != 0;
    m_bFocused = (dis->itemState & ODS_FOCUS) != 0;
    m_bDisabled = (dis->itemState & ODS_DISABLED) != 0;

    ::SetBkMode(dc, TRANSPARENT);
    FillSolid(dc, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, m_crFace);

    if (m_bBorder) {
        COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
        COLORREF highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
        if (m_bPressed)
            Draw3dRect(dc, rc, shadow, highlight);
        else if (m_bHot)
            Draw3dRect(dc, rc, highlight, shadow);
    }

    // A disabled button without a disabled image shows its normal image.
    ::SetBkColor(dc, RGB(255, 255, 255));
    int dx = m_bPressed ? m_nPressShiftX : 0;
    int dy = m_bPressed ? m_nPressShiftY : 0;
    CurrentImage().DrawCentred(dc, rc, dx, dy);

    if (m_bFocusRect && m_bFocused) {
        RECT focus = rc;
        ::InflateRect(&focus, -m_nFocusInset, -m_nFocusInset);
        ::DrawFocusRect(dc, &focus);
    }
}

void CSkinButton::OnMouseMove(WPARAM wp, LPARAM lp) {
    Default();
    POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    ClientToScreen(&pt);
    HWND under = ::WindowFromPoint(pt);
    // A press that began elsewhere and drags over the button does not light it.
    if ((wp & MK_LBUTTON) && !m_bHot)
        return;
    if (under != m_hWnd) {
        LeaveHot();
        return;
    }
    if (m_bHot)
        return;
    m_bHot = true;
    Invalidate();
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = m_hWnd;
    ::TrackMouseEvent(&track);
}

void CSkinButton::OnDisabled() {
    // The focus must not stay on a control the user cannot use.
    HWND parent = GetParent();
    HWND next = parent ? ::GetNextDlgTabItem(parent, m_hWnd, FALSE) : nullptr;
    if (!next || next == m_hWnd || !::IsWindowEnabled(next))
        next = parent;
    if (next)
        ::SetFocus(next);
    LeaveHot();
}

void CSkinButton::LeaveHot() {
    if (!m_bHot)
        return;
    m_bHot = false;
    Invalidate();
}

void CSkinButton::Redraw(BOOL redraw) const {
    if (redraw && m_hWnd)
        Invalidate();
}

CFlashButton::~CFlashButton() {
    StopFlashTimer();
}

CSkinButton::Result CFlashButton::SetImages(UINT hotId, COLORREF hotKey, UINT normalId, COLORREF normalKey,
                                            UINT disabledId, COLORREF disabledKey, UINT flashId,
                                            COLORREF flashKey) {
    Result result = CSkinButton::SetImages(hotId, hotKey, normalId, normalKey, disabledId, disabledKey);
    if (result != kOk)
        return result;
    return static_cast<Result>(m_flashImage.Load(flashId, flashKey));
}

void CFlashButton::Flash() {
    StopFlashTimer();
    if (!m_hWnd)
        return;
    m_nFlashTimer = SetTimer(kFlashTimerId, kFlashMilliseconds);
    Invalidate();
    UpdateWindow();
}

void CFlashButton::DrawItem(DRAWITEMSTRUCT* dis) {
    CSkinButton::DrawItem(dis);
    if (m_nFlashTimer)
        m_flashImage.DrawCentred(dis->hDC, dis->rcItem);
}

LRESULT CFlashButton::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_LBUTTONDOWN:
        m_bPressedHere = true;
        return CSkinButton::WindowProc(msg, wp, lp);
    case WM_LBUTTONUP: {
        // The button clicks (and the parent handles the click) first.
        LRESULT result = CSkinButton::WindowProc(msg, wp, lp);
        bool pressedHere = m_bPressedHere;
        m_bPressedHere = false;
        if (!m_hWnd)
            return result;
        RECT rc;
        GetClientRect(&rc);
        POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (pressedHere && ::PtInRect(&rc, pt))
            Flash();
        return result;
    }
    default:
        return CSkinButton::WindowProc(msg, wp, lp);
    }
}

void CFlashButton::OnTimer(UINT_PTR id) {
    // Only the flash's own timer ends it: a derived button's timers (a repeat
    // button's while held) run meanwhile.
    if (id == kFlashTimerId) {
        StopFlashTimer();
        Invalidate();
    }
    CSkinButton::OnTimer(id);
}

void CFlashButton::OnDestroy() {
    CSkinButton::OnDestroy();
    StopFlashTimer();
}

void CFlashButton::StopFlashTimer() {
    if (m_nFlashTimer && m_hWnd)
        KillTimer(m_nFlashTimer);
    m_nFlashTimer = 0;
}

void SetUpFlashButton(CFlashButton& button, UINT hotId, UINT normalId, UINT disabledId, UINT flashId) {
    button.SetPressStyle(CSkinButton::kPressStill, TRUE);
    button.SetImages(hotId, kSkinButtonKey, normalId, kSkinButtonKey, disabledId, kSkinButtonKey, flashId,
                     kSkinButtonKey);
    button.EnableBorder(FALSE, TRUE);
    button.EnableFocusRect(TRUE, TRUE);
}
