#include "framework/Wnd.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "framework/Gdi.h"
#include "framework/WinApp.h"

namespace {

constexpr char kWindowClass[] = "PulsewickWnd";
// The object attached to a window, for finding it from the handle.
constexpr char kObjectProperty[] = "PulsewickObject";

thread_local CWnd* t_pPendingWnd = nullptr;
// Objects that left their window while handling one of its messages: their
// PostNcDestroy waits until that handling is over.
thread_local std::vector<CWnd*> t_leaving;

ATOM RegisterOwnClass() {
    static const ATOM atom = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = AfxGetInstanceHandle();
        wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
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
    std::erase(t_leaving, this);
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
    if (m_hWnd || !hwnd || FromHandlePermanent(hwnd) || !Attach(hwnd, false))
        return false;
    PreSubclassWindow();
    return true;
}

bool CWnd::HookWindow(HWND hwnd) {
    return !m_hWnd && hwnd && Attach(hwnd, true);
}

bool CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    return parent && SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow() {
    HWND hwnd = m_hWnd;
    if (!hwnd)
        return nullptr;
    bool hook = m_bHook;
    Detach();
    if (hook)
        Leave();
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

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (m_bHook)
        return Default();
    switch (msg) {
    case WM_CREATE:
        return OnCreate(reinterpret_cast<CREATESTRUCTA*>(lp));
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wp), LOWORD(lp), HIWORD(lp));
        return 0;
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wp));
        return 0;
    case WM_COMMAND:
        return OnCommand(LOWORD(wp), HIWORD(wp)) ? 0 : Default();
    case WM_ERASEBKGND:
        return OnEraseBkgnd(reinterpret_cast<HDC>(wp));
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<LRESULT>(
            OnCtlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), msg - WM_CTLCOLORMSGBOX));
    case WM_PAINT: {
        CPaintDC dc(m_hWnd);
        OnPaint(dc);
        return 0;
    }
    case WM_PRINTCLIENT:
        OnPaint(reinterpret_cast<HDC>(wp));
        return 0;
    default:
        return Default();
    }
}

int CWnd::OnCreate(CREATESTRUCTA*) {
    return static_cast<int>(Default());
}

void CWnd::OnDestroy() {
    Default();
}

void CWnd::OnSize(UINT, int, int) {
    Default();
}

void CWnd::OnTimer(UINT_PTR) {
    Default();
}

bool CWnd::OnCommand(UINT, UINT) {
    return false;
}

BOOL CWnd::OnEraseBkgnd(HDC) {
    return static_cast<BOOL>(Default());
}

HBRUSH CWnd::OnCtlColor(HDC, HWND, UINT) {
    return reinterpret_cast<HBRUSH>(Default());
}

void CWnd::OnPaint(HDC dc) {
    // Controls paint into a DC given with WM_PAINT, as with WM_PRINTCLIENT;
    // the default procedure finds the update region already validated.
    DefWindowProc(m_current.msg, reinterpret_cast<WPARAM>(dc), m_current.lp);
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

bool CWnd::Attach(HWND hwnd, bool hook) {
    if (!hook && !::SetPropA(hwnd, kObjectProperty, this))
        return false;
    // The object is the subclass's id, so that a hook and the window's own
    // object share the procedure.
    if (!::SetWindowSubclass(hwnd, SubclassProc, reinterpret_cast<UINT_PTR>(this),
                             reinterpret_cast<DWORD_PTR>(this))) {
        if (!hook)
            ::RemovePropA(hwnd, kObjectProperty);
        return false;
    }
    m_hWnd = hwnd;
    m_bHook = hook;
    return true;
}

void CWnd::Detach() {
    ::RemoveWindowSubclass(m_hWnd, SubclassProc, reinterpret_cast<UINT_PTR>(this));
    if (!m_bHook)
        ::RemovePropA(m_hWnd, kObjectProperty);
    m_hWnd = nullptr;
    m_bOwnsWindow = false;
    m_bHook = false;
}

void CWnd::Leave() {
    if (m_nDispatching == 0)
        PostNcDestroy();
    else
        t_leaving.push_back(this);
}

LRESULT CWnd::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (!m_bHook && ReflectToChild(m_hWnd, msg, wp, lp, &result))
        return result;
    // Restored however the handler ends, for the message it interrupted.
    struct Scope {
        CWnd& wnd;
        Message saved;
        ~Scope() {
            wnd.m_current = saved;
            --wnd.m_nDispatching;
        }
    } scope{*this, std::exchange(m_current, Message{msg, wp, lp})};
    ++m_nDispatching;
    return WindowProc(msg, wp, lp);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                    DWORD_PTR data) noexcept {
    auto* wnd = reinterpret_cast<CWnd*>(data);
    LRESULT result;
    try {
        result = wnd->Dispatch(msg, wp, lp);
    } catch (...) {
        // Nothing may unwind through the platform; the message counts as unhandled.
        result = ::DefSubclassProc(hwnd, msg, wp, lp);
    }
    if (msg == WM_NCDESTROY) {
        if (wnd->m_hWnd == hwnd)
            wnd->Detach();
        wnd->Leave();
    } else if (auto left = std::find(t_leaving.begin(), t_leaving.end(), wnd);
               left != t_leaving.end() && wnd->m_nDispatching == 0) {
        t_leaving.erase(left);
        wnd->PostNcDestroy();
    }
    return result;
}

LRESULT CALLBACK CWnd::CreationHook(int code, WPARAM wp, LPARAM lp) noexcept {
    if (code == HCBT_CREATEWND && t_pPendingWnd) {
        CWnd* wnd = std::exchange(t_pPendingWnd, nullptr);
        wnd->Attach(reinterpret_cast<HWND>(wp), false);
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
