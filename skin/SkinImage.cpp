#include "skin/SkinImage.h"

#include <utility>

CSkinImage::Result CSkinImage::Assign(CBitmap bitmap, COLORREF key) {
    Reset();
    SIZE size = bitmap.GetSize();
    if (size.cx <= 0 || size.cy <= 0)
        return kCannotMeasure;
    CBitmap mask(::CreateBitmap(size.cx, size.cy, 1, 1, nullptr));
    CMemDC imageDC;
    CMemDC maskDC;
    if (!mask || !imageDC || !maskDC)
        return kCannotMask;
    {
        CSelectObject selectImage(imageDC, bitmap);
        CSelectObject selectMask(maskDC, mask);
        // Colour to monochrome: key pixels become 1 (white), all others 0.
        ::SetBkColor(imageDC, key);
        if (!::BitBlt(maskDC, 0, 0, size.cx, size.cy, imageDC, 0, 0, SRCCOPY))
            return kCannotMask;
        // Monochrome to colour: 1 becomes black, 0 white; ANDed, the key pixels
        // of the image turn black and the others keep their colour.
        ::SetTextColor(imageDC, RGB(255, 255, 255));
        ::SetBkColor(imageDC, RGB(0, 0, 0));
        if (!::BitBlt(imageDC, 0, 0, size.cx, size.cy, maskDC, 0, 0, SRCAND))
            return kCannotMask;
    }
    m_bitmap = std::move(bitmap);
    m_mask = std::move(mask);
    m_cx = size.cx;
    m_cy = size.cy;
    m_crKey = key;
    return kOk;
}

CSkinImage::Result CSkinImage::Load(UINT id, COLORREF key) {
    Reset();
    CBitmap bitmap;
    if (id == 0 || !bitmap.LoadBitmap(id))
        return kOk;
    return Assign(std::move(bitmap), key);
}

void CSkinImage::Reset() {
    m_bitmap.DeleteObject();
    m_mask.DeleteObject();
    m_cx = 0;
    m_cy = 0;
}

void CSkinImage::Draw(HDC target, int x, int y) const {
    if (IsEmpty())
        return;
    CMemDC source(target);
    if (!source)
        return;
    COLORREF oldBack = ::SetBkColor(target, RGB(255, 255, 255));
    COLORREF oldText = ::SetTextColor(target, RGB(0, 0, 0));
    {
        // The mask blackens the target where the image is opaque; the image,
        // black where it is transparent, is then ORed in.
        CSelectObject selectMask(source, m_mask);
        ::BitBlt(target, x, y, m_cx, m_cy, source, 0, 0, SRCAND);
    }
    {
        CSelectObject selectImage(source, m_bitmap);
        ::BitBlt(target, x, y, m_cx, m_cy, source, 0, 0, SRCPAINT);
    }
    ::SetTextColor(target, oldText);
    ::SetBkColor(target, oldBack);
}

void CSkinImage::DrawCentred(HDC target, const RECT& rect, int dx, int dy) const {
    int x = rect.left + (rect.right - rect.left - m_cx) / 2;
    int y = rect.top + (rect.bottom - rect.top - m_cy) / 2;
    Draw(target, x + dx, y + dy);
}
