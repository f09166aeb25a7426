#include "framework/Wnd.h"

#include <commctrl.h>

#include <utility>

#include "framework/WinApp.h"

namespace {

constexpr UINT_PTR kSubclassId = 0x50574E44; // "PWND"
constexpr char kWindowClass[] = "PulsewickWnd";
// The object attached to a window, for finding it from the handle.
constexpr char kObjectProperty[] = "PulsewickObject";

thread_local CWnd* t_pPendingWnd = nullptr;

ATOM RegisterOwnClass() {
    static const ATOM atom = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = AfxGetInstanceHandle();
        wc.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
        wc.lpszClassName = kWindowClass;
        return ::RegisterClassExA(&wc);
    }();
    return atom;
}

} // namespace

CWndCreationScope::CWndCreationScope(CWnd* wnd)
    : m_hook(::SetWindowsHookExA(WH_CBT, CWnd::CreationHook, nullptr, ::GetCurrentThreadId())),
      m_previous(t_pPendingWnd) {
    t_pPendingWnd = wnd;
}

CWndCreationScope::~CWndCreationScope() {
    t_pPendingWnd = m_previous;
    if (m_hook)
        ::UnhookWindowsHookEx(m_hook);
}

CWnd::~CWnd() {
    if (!m_hWnd)
        return;
    if (m_bOwnsWindow)
        ::DestroyWindow(m_hWnd);
    if (m_hWnd)
        Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    return hwnd ? static_cast<CWnd*>(::GetPropA(hwnd, kObjectProperty)) : nullptr;
}

bool CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    const RECT& rect, CWnd* parent, UINT id) {
    if (m_hWnd)
        return false;
    if (!className) {
        RegisterOwnClass();
        className = kWindowClass;
    }
    HWND parentWnd = parent ? parent->m_hWnd : nullptr;
    HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    HWND hwnd;
    {
        CWndCreationScope scope(this);
        hwnd = ::CreateWindowExA(exStyle, className, windowName ? windowName : "", style, rect.left, rect.top,
                                 rect.right - rect.left, rect.bottom - rect.top, parentWnd, menu,
                                 AfxGetInstanceHandle(), nullptr);
    }
    if (!hwnd) {
        if (m_hWnd)
            Detach();
        return false;
    }
    m_bOwnsWindow = true;
    PreSubclassWindow();
    return true;
}

bool CWnd::DestroyWindow() {
    if (!m_hWnd)
        return false;
    return ::DestroyWindow(m_hWnd) != FALSE;
}

bool CWnd::SubclassWindow(HWND hwnd) {
    if (m_hWnd || !hwnd || FromHandlePermanent(hwnd) || !Attach(hwnd))
        return false;
    PreSubclassWindow();
    return true;
}

bool CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    return parent && SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow() {
    HWND hwnd = m_hWnd;
    if (hwnd)
        Detach();
    return hwnd;
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

void CWnd::ScreenToClient(RECT* rect) const {
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(rect), 2);
}

void CWnd::ClientToScreen(RECT* rect) const {
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(rect), 2);
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) const {
    DWORD style = GetStyle();
    DWORD changed = (style & ~remove) | add;
    if (changed == style)
        return FALSE;
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
    if (swpFlags)
        SetWindowPos(nullptr, 0, 0, 0, 0, swpFlags | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

LRESULT CWnd::WindowProc(UINT, WPARAM, LPARAM) {
    return Default();
}

bool CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) {
    return false;
}

LRESULT CWnd::Default() {
    return ::DefSubclassProc(m_hWnd, m_current.msg, m_current.wp, m_current.lp);
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    return ::DefSubclassProc(m_hWnd, msg, wp, lp);
}

bool CWnd::Attach(HWND hwnd) {
    if (!::SetPropA(hwnd, kObjectProperty, this))
        return false;
    if (!::SetWindowSubclass(hwnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        ::RemovePropA(hwnd, kObjectProperty);
        return false;
    }
    m_hWnd = hwnd;
    return true;
}

void CWnd::Detach() {
    ::RemoveWindowSubclass(m_hWnd, SubclassProc, kSubclassId);
    ::RemovePropA(m_hWnd, kObjectProperty);
    m_hWnd = nullptr;
    m_bOwnsWindow = false;
}

LRESULT CWnd::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (ReflectToChild(m_hWnd, msg, wp, lp, &result))
        return result;
    Message saved = m_current;
    m_current = Message{msg, wp, lp};
    result = WindowProc(msg, wp, lp);
    m_current = saved;
    return result;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                    DWORD_PTR data) noexcept {
    auto* wnd = reinterpret_cast<CWnd*>(data);
    if (msg == WM_NCDESTROY) {
        LRESULT result = wnd->Dispatch(msg, wp, lp);
        if (wnd->m_hWnd == hwnd)
            wnd->Detach();
        wnd->PostNcDestroy();
        return result;
    }
    try {
        return wnd->Dispatch(msg, wp, lp);
    } catch (...) {
        // Nothing may unwind through the platform; the message counts as unhandled.
        return ::DefSubclassProc(hwnd, msg, wp, lp);
    }
}

LRESULT CALLBACK CWnd::CreationHook(int code, WPARAM wp, LPARAM lp) noexcept {
    if (code == HCBT_CREATEWND && t_pPendingWnd) {
        CWnd* wnd = std::exchange(t_pPendingWnd, nullptr);
        wnd->Attach(reinterpret_cast<HWND>(wp));
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

bool CWnd::ReflectToChild(HWND parent, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    HWND child = nullptr;
    switch (msg) {
    case WM_COMMAND:
        child = reinterpret_cast<HWND>(lp);
        break;
    case WM_NOTIFY:
        child = lp ? reinterpret_cast<const NMHDR*>(lp)->hwndFrom : nullptr;
        break;
    case WM_DRAWITEM:
        child = wp && lp ? reinterpret_cast<const DRAWITEMSTRUCT*>(lp)->hwndItem : nullptr;
        break;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_HSCROLL:
    case WM_VSCROLL:
        child = reinterpret_cast<HWND>(lp);
        break;
    default:
        return false;
    }
    // A window's own notifications (the custom scroll bar drawing a window's
    // non-client bar notifies that window's parent) come back to the window.
    if (!child || child == parent)
        return false;
    CWnd* wnd = FromHandlePermanent(child);
    return wnd && wnd->OnChildNotify(msg, wp, lp, result);
}

bool AfxWalkPreTranslateTree(HWND stop, MSG* msg) {
    for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetAncestor(hwnd, GA_PARENT)) {
        if (CWnd* wnd = CWnd::FromHandlePermanent(hwnd); wnd && wnd->PreTranslateMessage(msg))
            return true;
        if (hwnd == stop)
            break;
    }
    return false;
}
