// Owners for GDI objects and device contexts. Every class here is move-only
// and releases what it holds when it goes out of scope.
#pragma once

#include <windows.h>

#include <utility>

// A GDI object (bitmap, pen, brush, font, region) owned by value.
template <class H> class CGdiObject {
public:
    CGdiObject() = default;
    explicit CGdiObject(H h) : m_h(h) {}
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    CGdiObject(CGdiObject&& other) noexcept : m_h(other.Detach()) {}
    CGdiObject& operator=(CGdiObject&& other) noexcept {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }
    ~CGdiObject() { DeleteObject(); }

    H GetSafeHandle() const { return m_h; }
    operator H() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }

    void Attach(H h) {
        DeleteObject();
        m_h = h;
    }
    H Detach() { return std::exchange(m_h, nullptr); }
    void DeleteObject() {
        if (m_h)
            ::DeleteObject(std::exchange(m_h, nullptr));
    }

private:
    H m_h = nullptr;
};

class CBitmap : public CGdiObject<HBITMAP> {
public:
    using CGdiObject::CGdiObject;
    // Loads a bitmap resource of the program.
    bool LoadBitmap(UINT id);
    bool CreateCompatibleBitmap(HDC dc, int width, int height);
    // Width and height in pixels; 0 x 0 when empty.
    SIZE GetSize() const;
};

class CPen : public CGdiObject<HPEN> {
public:
    using CGdiObject::CGdiObject;
    CPen(int style, int width, COLORREF colour) : CGdiObject(::CreatePen(style, width, colour)) {}
};

class CBrush : public CGdiObject<HBRUSH> {
public:
    using CGdiObject::CGdiObject;
    explicit CBrush(COLORREF colour) : CGdiObject(::CreateSolidBrush(colour)) {}
    bool CreateSolidBrush(COLORREF colour) {
        Attach(::CreateSolidBrush(colour));
        return *this ? true : false;
    }
};

class CFont : public CGdiObject<HFONT> {
public:
    using CGdiObject::CGdiObject;
    // The program's one typeface, "Arial", asked for the same way everywhere,
    // so that a machine without it gives every text the same sans-serif
    // stand-in. Height in pixels: character height, negative for the em.
    bool CreateFont(int height, int weight = FW_NORMAL);
};

class CRgn : public CGdiObject<HRGN> {
public:
    using CGdiObject::CGdiObject;
    bool CreateRectRgn(int left, int top, int right, int bottom) {
        Attach(::CreateRectRgn(left, top, right, bottom));
        return *this ? true : false;
    }
};

// Selects an object into a device context and restores the previous one on exit.
class CSelectObject {
public:
    CSelectObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(::SelectObject(dc, object)) {}
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;
    ~CSelectObject() {
        if (m_old && m_old != HGDI_ERROR)
            ::SelectObject(m_dc, m_old);
    }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// Saves the whole state of a device context and restores it on exit.
class CSaveDC {
public:
    explicit CSaveDC(HDC dc) : m_dc(dc), m_saved(::SaveDC(dc)) {}
    CSaveDC(const CSaveDC&) = delete;
    CSaveDC& operator=(const CSaveDC&) = delete;
    ~CSaveDC() {
        if (m_saved)
            ::RestoreDC(m_dc, m_saved);
    }

private:
    HDC m_dc;
    int m_saved;
};

// Device contexts. All derive from CDC, a view of the HDC that does not own it.
class CDC {
public:
    HDC m_hDC = nullptr;
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

protected:
    CDC() = default;
    explicit CDC(HDC dc) : m_hDC(dc) {}
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    ~CDC() = default;
};

class CPaintDC : public CDC {
public:
    explicit CPaintDC(HWND hwnd) : m_hwnd(hwnd) { m_hDC = ::BeginPaint(hwnd, &m_ps); }
    ~CPaintDC() { ::EndPaint(m_hwnd, &m_ps); }
    PAINTSTRUCT m_ps{};

private:
    HWND m_hwnd;
};

class CClientDC : public CDC {
public:
    explicit CClientDC(HWND hwnd) : CDC(::GetDC(hwnd)), m_hwnd(hwnd) {}
    ~CClientDC() {
        if (m_hDC)
            ::ReleaseDC(m_hwnd, m_hDC);
    }

private:
    HWND m_hwnd;
};

class CWindowDC : public CDC {
public:
    explicit CWindowDC(HWND hwnd) : CDC(::GetWindowDC(hwnd)), m_hwnd(hwnd) {}
    ~CWindowDC() {
        if (m_hDC)
            ::ReleaseDC(m_hwnd, m_hDC);
    }

private:
    HWND m_hwnd;
};

// A memory device context compatible with another (null: the screen).
class CMemDC : public CDC {
public:
    explicit CMemDC(HDC compatible = nullptr) : CDC(::CreateCompatibleDC(compatible)) {}
    ~CMemDC() {
        if (m_hDC)
            ::DeleteDC(m_hDC);
    }
};
