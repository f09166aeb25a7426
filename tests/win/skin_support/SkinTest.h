// Shared pieces of the skinned control tests: a parent window that records
// what its children send it, a picture to draw into and read back, and a
// place for screenshots in the build tree.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "WinTest.h"
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

// A white 32-bit picture to draw into and read back.
class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        m_bitmap = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_bits = static_cast<unsigned*>(bits);
        m_dc = ::CreateCompatibleDC(nullptr);
        m_old = ::SelectObject(m_dc, m_bitmap);
        RECT all{0, 0, width, height};
        ::FillRect(m_dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas() {
        ::SelectObject(m_dc, m_old);
        ::DeleteDC(m_dc);
        ::DeleteObject(m_bitmap);
    }
    HDC Dc() const { return m_dc; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    COLORREF Pixel(int x, int y) const {
        ::GdiFlush();
        unsigned v = m_bits[y * m_width + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    bool Save(const char* path) const {
        ::GdiFlush();
        return pwtest::SaveBmp(path, m_bits, m_width, m_height);
    }
    // Every pixel, row by row, as 0x00RRGGBB.
    std::vector<unsigned> Pixels() const {
        ::GdiFlush();
        std::vector<unsigned> pixels(m_bits, m_bits + m_width * m_height);
        for (unsigned& p : pixels)
            p &= 0xFFFFFF;
        return pixels;
    }

private:
    int m_width;
    int m_height;
    HBITMAP m_bitmap;
    unsigned* m_bits;
    HDC m_dc;
    HGDIOBJ m_old;
};

} // namespace skintest
