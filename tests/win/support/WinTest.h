// Helpers for tests that drive real windows under Wine: message loops,
// pictures of what windows show, and screenshots.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "framework/Wnd.h"

// Rectangles compared and printed in test expectations; found by
// argument-dependent lookup, so beside RECT in the global namespace.
inline bool operator==(const RECT& a, const RECT& b) {
    return ::EqualRect(&a, &b) != FALSE;
}

inline void PrintTo(const RECT& r, std::ostream* os) {
    *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace pwtest {

// Dispatches every queued message of this thread.
void PumpMessages();
// Dispatches messages for the given time.
void PumpFor(std::chrono::milliseconds duration);
// Dispatches messages until the condition holds or the time-out passes.
bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// The same as a dialog's modal loop does: each message goes first to the
// PreTranslateMessage of its window and of the windows above it up to
// `dialog` (all of them when null), and is dispatched only if none keeps it.
void PumpMessages(HWND dialog);
void PumpFor(HWND dialog, std::chrono::milliseconds duration);
bool PumpUntil(HWND dialog, const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// Registers the common controls the program's windows use.
void InitControls();

// In UTF-8.
std::string WindowText(HWND hwnd);

// The object bound to the child window of this id: a control found where the
// user finds it. It must be of this class.
template <class Control> Control& Child(HWND parent, int id) {
    return *dynamic_cast<Control*>(CWnd::FromHandlePermanent(::GetDlgItem(parent, id)));
}

// Brings a top-level window to the front so that focus and capture work.
void Activate(HWND hwnd);

// A left click at the window's centre through the system's input, as the
// user makes it: it goes where the system sends it (to a window holding the
// mouse, past a disabled one).
void MouseClick(HWND hwnd);

// Watches the messages of a window: each is handed to the callback once the
// window has handled it. Ends with the window, or before it.
class MessageWatch {
public:
    using Callback = std::function<void(UINT msg, WPARAM wp, LPARAM lp)>;
    MessageWatch(HWND hwnd, Callback after);
    MessageWatch(const MessageWatch&) = delete;
    MessageWatch& operator=(const MessageWatch&) = delete;
    ~MessageWatch();

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);

    HWND m_hWnd;
    Callback m_after;
};

// A 32-bit picture to draw into and read back; white when made.
class Canvas {
public:
    Canvas(int width, int height);
    Canvas(Canvas&& other) noexcept;
    Canvas& operator=(Canvas&& other) noexcept;
    ~Canvas();
    HDC Dc() const { return m_dc; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // CLR_INVALID outside the picture.
    COLORREF Pixel(int x, int y) const;
    // Every pixel, row by row, as 0x00RRGGBB.
    std::vector<unsigned> Pixels() const;
    // Saves as a 24-bit BMP (for looking at by eye).
    bool Save(const char* path) const;

private:
    void Release();

    int m_width = 0;
    int m_height = 0;
    HBITMAP m_bitmap = nullptr;
    unsigned* m_bits = nullptr;
    HDC m_dc = nullptr;
    HGDIOBJ m_old = nullptr;
};

// A window's client area as a picture.
class Snapshot : public Canvas {
public:
    enum class Source {
        PrintClient, // drawn whole through WM_PRINTCLIENT
        Redrawn,     // repainted whole, then copied from the window
        AsShown,     // copied from the window as it is, without a repaint
    };
    explicit Snapshot(HWND hwnd, Source source = Source::PrintClient);
    // printClient false: Source::Redrawn.
    Snapshot(HWND hwnd, bool printClient)
        : Snapshot(hwnd, printClient ? Source::PrintClient : Source::Redrawn) {}
};

// A bitmap resource of this program as a picture of its size; 0 x 0 when
// there is none.
Canvas LoadPicture(UINT bitmapId);

// screenshots\<name>.bmp under the folder the tests run in (the build tree).
std::string ScreenshotPath(const std::string& name);

} // namespace pwtest
