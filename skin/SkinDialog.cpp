#include "skin/SkinDialog.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "skin/RegionRuns.h"

namespace {

// The bitmap's pixels as colour values, rows from the top.
std::vector<std::uint32_t> ReadColours(HBITMAP bitmap, SIZE size) {
    std::vector<std::uint32_t> pixels(static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy));
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = size.cx;
    bi.bmiHeader.biHeight = -size.cy;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    CClientDC screen(nullptr);
    if (::GetDIBits(screen, bitmap, 0, static_cast<UINT>(size.cy), pixels.data(), &bi, DIB_RGB_COLORS) !=
        size.cy)
        return {};
    for (std::uint32_t& p : pixels)
        p = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    return pixels;
}

HRGN RegionFromRuns(const std::vector<pw::PixelRun>& runs) {
    if (runs.empty())
        return ::CreateRectRgn(0, 0, 0, 0);
    std::vector<RECT> rects;
    rects.reserve(runs.size());
    RECT bounds{runs.front().left, runs.front().y, runs.front().right, runs.front().y + 1};
    for (const pw::PixelRun& run : runs) {
        RECT rc{run.left, run.y, run.right, run.y + 1};
        ::UnionRect(&bounds, &bounds, &rc);
        rects.push_back(rc);
    }
    std::vector<std::uint8_t> buffer(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(rects.size());
    data->rdh.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
    data->rdh.rcBound = bounds;
    std::copy(rects.begin(), rects.end(), reinterpret_cast<RECT*>(data->Buffer));
    return ::ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data);
}

} // namespace

bool CSkinDialog::SetBitmap(UINT id) {
    m_bitmap.DeleteObject();
    bool loaded = m_bitmap.LoadBitmap(id);
    RebuildRegion();
    return loaded;
}

void CSkinDialog::SetShaped(bool on) {
    m_bShaped = on;
    RebuildRegion();
}

void CSkinDialog::SetKeyColour(COLORREF colour) {
    m_crKey = colour;
    RebuildRegion();
}

void CSkinDialog::RebuildRegion() {
    if (!m_hWnd)
        return;
    RECT window;
    GetWindowRect(&window);
    HRGN region = nullptr;
    // A shaped dialog whose bitmap failed to load keeps its whole rectangle.
    if (m_bShaped && m_bitmap) {
        SIZE size = m_bitmap.GetSize();
        RECT client;
        GetClientRect(&client);
        std::vector<std::uint32_t> pixels = ReadColours(m_bitmap, size);
        region = RegionFromRuns(
            pw::FindOpaqueRuns(pixels, size.cx, size.cy, m_crKey, client.right, client.bottom));
    } else {
        region = ::CreateRectRgn(0, 0, window.right - window.left, window.bottom - window.top);
    }
    // The window owns the region once it is set.
    if (region && !::SetWindowRgn(m_hWnd, region, TRUE))
        ::DeleteObject(region);
}

LRESULT CSkinDialog::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = CDialog::WindowProc(msg, wp, lp);
    if (msg == WM_LBUTTONDOWN && m_bDragBody) {
        POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        ClientToScreen(&pt);
        PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(pt.x, pt.y));
    }
    return result;
}

BOOL CSkinDialog::OnEraseBkgnd(HDC dc) {
    if (!m_bitmap)
        return CDialog::OnEraseBkgnd(dc);
    RECT client;
    GetClientRect(&client);
    CMemDC mem(dc);
    CSelectObject select(mem, m_bitmap);
    ::BitBlt(dc, 0, 0, client.right, client.bottom, mem, 0, 0, SRCCOPY);
    return TRUE;
}

HBRUSH CSkinDialog::OnCtlColor(HDC dc, HWND control, UINT type) {
    HBRUSH result = CDialog::OnCtlColor(dc, control, type);
    if (type != CTLCOLOR_STATIC || !m_bClearStatics)
        return result;
    // A trackbar fills its background with the brush it gets; a null one
    // would leave that unpainted.
    char className[32] = {};
    ::GetClassNameA(control, className, sizeof className);
    if (::lstrcmpiA(className, TRACKBAR_CLASSA) == 0)
        return result;
    ::SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}
