// The window object: one C++ object per window, attached by subclassing.
//
// Every window the program handles (windows it creates, dialogs, and dialog
// controls it binds) is subclassed with one procedure, which hands each message
// to the object's virtual WindowProc. CWnd's WindowProc calls the typed
// handlers (OnCreate, OnPaint, OnTimer...) of the messages most windows handle;
// a class overrides those it needs and WindowProc only for other messages.
// Notifications that a child sends to its parent (WM_COMMAND, WM_NOTIFY,
// WM_DRAWITEM, WM_CTLCOLOR*, WM_HSCROLL/WM_VSCROLL from controls) are first
// offered to the child's own object (OnChildNotify); only if it does not take
// them does the parent see them.
#pragma once

#include <windows.h>

#include <initializer_list>

// <windowsx.h>, included before this, names a macro like the member function.
#undef SubclassWindow

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    // A window this object created is destroyed; a bound one is released.
    virtual ~CWnd();

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The object attached to a window, or null.
    static CWnd* FromHandlePermanent(HWND hwnd);

    // Creates a window of the program's own class (className null) or of a
    // system class; the object is attached before the first message arrives.
    bool CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id);
    bool Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent,
                UINT id) {
        return CreateEx(0, className, windowName, style, rect, parent, id);
    }
    bool DestroyWindow();

    // Binds an existing window (a dialog control) to this object.
    bool SubclassWindow(HWND hwnd);
    bool SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();
    // Joins the message handling of a window that may have an object of its
    // own, ahead of it, without becoming the window's object: the window keeps
    // its object (FromHandlePermanent), which alone reflects notifications and
    // gets the typed handlers; the hook's WindowProc sees every message first
    // and passes on what it leaves with Default(). UnsubclassWindow leaves.
    bool HookWindow(HWND hwnd);

    // Called for messages bound for this window or its children before they are
    // dispatched (from a modal loop); true when the message was handled.
    virtual BOOL PreTranslateMessage(MSG* msg);

    // Thin wrappers over the window functions the program uses.
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
        return ::SendMessageA(m_hWnd, msg, wp, lp);
    }
    BOOL PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
        return ::PostMessageA(m_hWnd, msg, wp, lp);
    }
    BOOL ShowWindow(int cmd) const { return ::ShowWindow(m_hWnd, cmd); }
    BOOL EnableWindow(BOOL enable = TRUE) const { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
    void ScreenToClient(POINT* pt) const { ::ScreenToClient(m_hWnd, pt); }
    void ScreenToClient(RECT* rect) const;
    void ClientToScreen(POINT* pt) const { ::ClientToScreen(m_hWnd, pt); }
    void ClientToScreen(RECT* rect) const;
    BOOL MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE) const {
        return ::MoveWindow(m_hWnd, x, y, width, height, repaint);
    }
    BOOL MoveWindow(const RECT& rect, BOOL repaint = TRUE) const {
        return MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
    }
    BOOL SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) const {
        return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
    }
    void Invalidate(BOOL erase = TRUE) const { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(const RECT* rect, BOOL erase = TRUE) const { ::InvalidateRect(m_hWnd, rect, erase); }
    void UpdateWindow() const { ::UpdateWindow(m_hWnd); }
    HWND SetFocus() const { return ::SetFocus(m_hWnd); }
    HWND SetCapture() const { return ::SetCapture(m_hWnd); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE)); }
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0) const;
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse) const { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
    BOOL KillTimer(UINT_PTR id) const { return ::KillTimer(m_hWnd, id); }
    BOOL SetWindowText(const char* text) const { return ::SetWindowTextA(m_hWnd, text); }
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    int GetWindowText(char* buffer, int size) const { return ::GetWindowTextA(m_hWnd, buffer, size); }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }

protected:
    struct Message {
        UINT msg = 0;
        WPARAM wp = 0;
        LPARAM lp = 0;
    };

    // The window's own message handling. Overrides handle what they need and
    // pass the rest to their base class; CWnd's version calls the typed
    // handlers below and Default() for every other message.
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);

    // Typed handlers. Each base version hands the message on to the previous
    // procedure, so an override that does not take a message calls its base
    // class's version; Default() is the previous procedure too.
    // WM_CREATE; -1 fails the creation.
    virtual int OnCreate(CREATESTRUCTA* cs);
    virtual void OnDestroy();
    // WM_SIZE: how the window was sized (SIZE_RESTORED...) and its client size.
    virtual void OnSize(UINT type, int cx, int cy);
    virtual void OnTimer(UINT_PTR id);
    // WM_COMMAND: the item's id and the notification code (0 for a menu);
    // true when handled.
    virtual bool OnCommand(UINT id, UINT code);
    // WM_ERASEBKGND; nonzero when the background is erased.
    virtual BOOL OnEraseBkgnd(HDC dc);
    // WM_CTLCOLOR* that the control did not take itself: the brush of the
    // control's background; type is CTLCOLOR_STATIC and the like.
    virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT type);
    // Draws the client area into dc: for WM_PAINT between BeginPaint and
    // EndPaint, which the framework calls, and for WM_PRINTCLIENT into the DC
    // it brings. The base version has the previous procedure draw into dc.
    virtual void OnPaint(HDC dc);

    // A notification this window sent to its parent, offered back to it first.
    // Return true (and set *result) to keep it from the parent.
    virtual bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    // The last message of the window (WM_NCDESTROY) has been handled, or a hook
    // has left its window; called once no message of this object is still
    // being handled, so that an object may delete itself here.
    virtual void PostNcDestroy() {}
    // The object has just been bound to a window (SubclassWindow) or has created
    // one (CreateEx); controls adjust the window's style here.
    virtual void PreSubclassWindow() {}

    // The previous procedure (the window class, or a control's own) with the
    // message being handled.
    LRESULT Default();
    // The previous procedure with any message.
    LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp);
    // The message being handled.
    const Message& GetCurrentMessage() const { return m_current; }

private:
    bool Attach(HWND hwnd, bool hook);
    void Detach();
    void Leave();
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                         DWORD_PTR data) noexcept;
    static LRESULT CALLBACK CreationHook(int code, WPARAM wp, LPARAM lp) noexcept;
    static bool ReflectToChild(HWND parent, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

    Message m_current;
    // Messages of this object being handled, nested.
    int m_nDispatching = 0;
    bool m_bOwnsWindow = false;
    bool m_bHook = false;

    friend class CDialog;
    friend class CWndCreationScope;
};

// While alive, the next window created on this thread is attached to the
// object at once, so that it sees WM_NCCREATE and WM_CREATE like any other.
class CWndCreationScope {
public:
    explicit CWndCreationScope(CWnd* wnd);
    CWndCreationScope(const CWndCreationScope&) = delete;
    CWndCreationScope& operator=(const CWndCreationScope&) = delete;
    ~CWndCreationScope();

private:
    HHOOK m_hook;
    CWnd* m_previous;
};

// Walks from the message's target window up to stop (inclusive), offering the
// message to each attached object's PreTranslateMessage.
bool AfxWalkPreTranslateTree(HWND stop, MSG* msg);

// A registered window message, obtained by name during static initialisation:
// for messages between two copies of the program.
inline UINT AfxRegisterMessage(const char* name) {
    return ::RegisterWindowMessageA(name);
}

// Messages that stay inside the process are constants, so that handlers can
// switch on them. Each layer that has some takes a block of WM_APP numbers
// after the block of the layer below it and checks with this, at compile time,
// that its messages lie in its block and differ from each other.
constexpr bool AfxIsMessageBlock(UINT first, UINT end, std::initializer_list<UINT> messages) {
    if (first < WM_APP || end > 0xC000 || first >= end)
        return false;
    for (const UINT* a = messages.begin(); a != messages.end(); ++a) {
        if (*a < first || *a >= end)
            return false;
        for (const UINT* b = a + 1; b != messages.end(); ++b) {
            if (*a == *b)
                return false;
        }
    }
    return true;
}
