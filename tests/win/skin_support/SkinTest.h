// Shared pieces of the skinned control tests: a parent window that records
// what its children send it, and a place for screenshots in the build tree.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/Wnd.h"

namespace skintest {

struct Received {
    UINT msg;
    WPARAM wp;
    LPARAM lp;
};

// A top-level window of the program's class that records the messages it is
// asked to watch for; a hook lets a test act while one is being handled.
class RecordingParent : public CWnd {
public:
    std::vector<UINT> watched;
    std::vector<Received> received;
    void (*onReceived)(RecordingParent&, const Received&) = nullptr;
    void* context = nullptr;

    bool Create(int width = 420, int height = 200) {
        return CreateEx(0, nullptr, "skin test", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN,
                        RECT{40, 40, 40 + width, 40 + height}, nullptr, 0);
    }
    int Count(UINT msg) const {
        int n = 0;
        for (const Received& r : received)
            n += r.msg == msg;
        return n;
    }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        for (UINT w : watched) {
            if (w == msg) {
                received.push_back(Received{msg, wp, lp});
                if (onReceived)
                    onReceived(*this, received.back());
                return 0;
            }
        }
        if (msg == WM_CTLCOLORSTATIC)
            return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
        return CWnd::WindowProc(msg, wp, lp);
    }
};

inline void InitControls() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
}

// screenshots/<name>.bmp under the directory the tests run in (the build tree).
inline std::string ScreenshotPath(const char* name) {
    ::CreateDirectoryA("screenshots", nullptr);
    return std::string("screenshots\\") + name + ".bmp";
}

// Brings a top-level window to the front so that focus and capture work.
inline void Activate(HWND hwnd) {
    ::SetForegroundWindow(hwnd);
    ::SetActiveWindow(hwnd);
}

} // namespace skintest
