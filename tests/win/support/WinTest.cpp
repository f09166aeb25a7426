#include "WinTest.h"

#include <cstdio>

namespace pwtest {

void PumpMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

void PumpFor(std::chrono::milliseconds duration) {
    PumpUntil([] { return false; }, duration);
}

bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        PumpMessages();
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

Snapshot::Snapshot(HWND hwnd, Source source) {
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    m_width = rc.right;
    m_height = rc.bottom;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = m_width;
    bi.bmiHeader.biHeight = -m_height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_bits = static_cast<unsigned*>(bits);
    HDC mem = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(mem, m_bitmap);
    if (source == Source::PrintClient) {
        ::SendMessageA(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT | PRF_ERASEBKGND);
    } else {
        if (source == Source::Redrawn)
            ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        HDC dc = ::GetDC(hwnd);
        ::BitBlt(mem, 0, 0, m_width, m_height, dc, 0, 0, SRCCOPY);
        ::ReleaseDC(hwnd, dc);
    }
    ::GdiFlush();
    ::SelectObject(mem, old);
    ::DeleteDC(mem);
}

Snapshot::~Snapshot() {
    if (m_bitmap)
        ::DeleteObject(m_bitmap);
}

COLORREF Snapshot::Pixel(int x, int y) const {
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return CLR_INVALID;
    unsigned v = m_bits[y * m_width + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

bool Snapshot::Save(const char* path) const {
    return m_bits && SaveBmp(path, m_bits, m_width, m_height);
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
    unsigned char row[4 * 4096] = {};
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width && x < 4096; ++x) {
            unsigned v = bits[y * width + x];
            row[x * 3] = v & 0xFF;
            row[x * 3 + 1] = (v >> 8) & 0xFF;
            row[x * 3 + 2] = (v >> 16) & 0xFF;
        }
        std::fwrite(row, 1, static_cast<size_t>(stride), f);
    }
    return std::fclose(f) == 0;
}

} // namespace pwtest
