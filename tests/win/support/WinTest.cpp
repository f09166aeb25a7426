#include "WinTest.h"

#include <commctrl.h>

#include <cstdio>
#include <utility>

#include "framework/Gdi.h"
#include "framework/Text.h"
#include "framework/Wnd.h"

namespace pwtest {

namespace {

void Dispatch(MSG& msg) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
}

bool Wait(const std::function<void()>& pump, const std::function<bool()>& condition,
          std::chrono::milliseconds timeout) {
    auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        pump();
        if (condition())
            return true;
        auto now = std::chrono::steady_clock::now();
        if (now >= end)
            return false;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left < 10 ? left : 10),
                                    QS_ALLINPUT);
    }
}

bool SaveBmp(const char* path, const unsigned* bits, int width, int height) {
    FILE* f = std::fopen(path, "wb");
    if (!f)
        return false;
    int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof ih;
    ih.biWidth = width;
    ih.biHeight = height;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biSizeImage = static_cast<DWORD>(stride * height);
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + ih.biSizeImage;
    std::fwrite(&fh, sizeof fh, 1, f);
    std::fwrite(&ih, sizeof ih, 1, f);
    std::vector<unsigned char> row(static_cast<size_t>(stride));
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            unsigned v = bits[y * width + x];
            row[x * 3] = v & 0xFF;
            row[x * 3 + 1] = (v >> 8) & 0xFF;
            row[x * 3 + 2] = (v >> 16) & 0xFF;
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    return std::fclose(f) == 0;
}

} // namespace

void PumpMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        Dispatch(msg);
}

void PumpFor(std::chrono::milliseconds duration) {
    PumpUntil([] { return false; }, duration);
}

bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    return Wait([] { PumpMessages(); }, condition, timeout);
}

void PumpMessages(HWND dialog) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!AfxWalkPreTranslateTree(dialog, &msg))
            Dispatch(msg);
    }
}

void PumpFor(HWND dialog, std::chrono::milliseconds duration) {
    PumpUntil(
        dialog, [] { return false; }, duration);
}

bool PumpUntil(HWND dialog, const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    return Wait([dialog] { PumpMessages(dialog); }, condition, timeout);
}

void InitControls() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
}

std::string WindowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return pw::Narrow(text);
}

void Activate(HWND hwnd) {
    ::SetForegroundWindow(hwnd);
    ::SetActiveWindow(hwnd);
}

void MouseClick(HWND hwnd) {
    RECT rc;
    ::GetWindowRect(hwnd, &rc);
    ::SetForegroundWindow(::GetAncestor(hwnd, GA_ROOT));
    ::SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    PumpMessages();
    INPUT inputs[2]{};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, inputs, sizeof(INPUT));
}

MessageWatch::MessageWatch(HWND hwnd, Callback after) : m_hWnd(hwnd), m_after(std::move(after)) {
    ::SetWindowSubclass(m_hWnd, Proc, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this));
}

MessageWatch::~MessageWatch() {
    if (m_hWnd)
        ::RemoveWindowSubclass(m_hWnd, Proc, reinterpret_cast<UINT_PTR>(this));
}

LRESULT CALLBACK MessageWatch::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self) {
    auto* watch = reinterpret_cast<MessageWatch*>(self);
    if (msg == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, Proc, id);
        watch->m_hWnd = nullptr;
        return ::DefSubclassProc(hwnd, msg, wp, lp);
    }
    LRESULT result = ::DefSubclassProc(hwnd, msg, wp, lp);
    watch->m_after(msg, wp, lp);
    return result;
}

Canvas::Canvas(int width, int height) : m_width(width), m_height(height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_bits = static_cast<unsigned*>(bits);
    m_dc = ::CreateCompatibleDC(nullptr);
    if (!m_bitmap)
        return;
    m_old = ::SelectObject(m_dc, m_bitmap);
    RECT all{0, 0, width, height};
    ::FillRect(m_dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
}

Canvas::Canvas(Canvas&& other) noexcept
    : m_width(std::exchange(other.m_width, 0)), m_height(std::exchange(other.m_height, 0)),
      m_bitmap(std::exchange(other.m_bitmap, nullptr)), m_bits(std::exchange(other.m_bits, nullptr)),
      m_dc(std::exchange(other.m_dc, nullptr)), m_old(std::exchange(other.m_old, nullptr)) {}

Canvas& Canvas::operator=(Canvas&& other) noexcept {
    if (this != &other) {
        Release();
        m_width = std::exchange(other.m_width, 0);
        m_height = std::exchange(other.m_height, 0);
        m_bitmap = std::exchange(other.m_bitmap, nullptr);
        m_bits = std::exchange(other.m_bits, nullptr);
        m_dc = std::exchange(other.m_dc, nullptr);
        m_old = std::exchange(other.m_old, nullptr);
    }
    return *this;
}

Canvas::~Canvas() {
    Release();
}

void Canvas::Release() {
    if (m_dc) {
        if (m_old)
            ::SelectObject(m_dc, m_old);
        ::DeleteDC(m_dc);
    }
    if (m_bitmap)
        ::DeleteObject(m_bitmap);
    m_dc = nullptr;
    m_bitmap = nullptr;
    m_bits = nullptr;
}

COLORREF Canvas::Pixel(int x, int y) const {
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return CLR_INVALID;
    ::GdiFlush();
    unsigned v = m_bits[y * m_width + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

std::vector<unsigned> Canvas::Pixels() const {
    if (!m_bits)
        return {};
    ::GdiFlush();
    std::vector<unsigned> pixels(m_bits, m_bits + m_width * m_height);
    for (unsigned& p : pixels)
        p &= 0xFFFFFF;
    return pixels;
}

bool Canvas::Save(const char* path) const {
    ::GdiFlush();
    return m_bits && SaveBmp(path, m_bits, m_width, m_height);
}

namespace {

SIZE ClientSize(HWND hwnd) {
    RECT rc{};
    ::GetClientRect(hwnd, &rc);
    return SIZE{rc.right, rc.bottom};
}

} // namespace

Snapshot::Snapshot(HWND hwnd, Source source) : Canvas(ClientSize(hwnd).cx, ClientSize(hwnd).cy) {
    if (source == Source::PrintClient) {
        ::SendMessageA(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(Dc()), PRF_CLIENT | PRF_ERASEBKGND);
        return;
    }
    if (source == Source::Redrawn)
        ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = ::GetDC(hwnd);
    ::BitBlt(Dc(), 0, 0, Width(), Height(), dc, 0, 0, SRCCOPY);
    ::ReleaseDC(hwnd, dc);
}

Canvas LoadPicture(UINT bitmapId) {
    CBitmap bitmap;
    if (!bitmap.LoadBitmap(bitmapId))
        return Canvas(0, 0);
    const SIZE size = bitmap.GetSize();
    Canvas picture(size.cx, size.cy);
    CMemDC mem;
    CSelectObject select(mem, bitmap);
    ::BitBlt(picture.Dc(), 0, 0, size.cx, size.cy, mem, 0, 0, SRCCOPY);
    return picture;
}

std::string ScreenshotPath(const std::string& name) {
    ::CreateDirectoryA("screenshots", nullptr);
    return "screenshots\\" + name + ".bmp";
}

} // namespace pwtest
