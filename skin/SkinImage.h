// One image of a skinned control: a bitmap drawn with one colour transparent.
#pragma once

#include <windows.h>

#include "framework/Gdi.h"

class CSkinImage {
public:
    // Results of Assign and Load, as SetImages reports them.
    enum Result : int { kOk = 0, kCannotMeasure = 1, kCannotMask = 2 };

    CSkinImage() = default;
    CSkinImage(const CSkinImage&) = delete;
    CSkinImage& operator=(const CSkinImage&) = delete;

    // Takes the bitmap and makes its mask; the key pixels of the bitmap are
    // blackened in place so that drawing needs only two blits. On failure the
    // image is left empty.
    Result Assign(CBitmap bitmap, COLORREF key);
    // A bitmap resource; id 0 or an id without a bitmap leaves the image empty.
    Result Load(UINT id, COLORREF key);
    void Reset();

    bool IsEmpty() const { return !m_bitmap; }
    int Width() const { return m_cx; }
    int Height() const { return m_cy; }
    COLORREF KeyColour() const { return m_crKey; }
    HBITMAP BitmapHandle() const { return m_bitmap; }
    HBITMAP MaskHandle() const { return m_mask; }

    // Draws at (x, y) leaving the target unchanged under the key pixels.
    void Draw(HDC target, int x, int y) const;
    // Draws centred in rect (left and top rounded toward zero), moved by (dx, dy).
    void DrawCentred(HDC target, const RECT& rect, int dx = 0, int dy = 0) const;

private:
    CBitmap m_bitmap;
    CBitmap m_mask;
    int m_cx = 0;
    int m_cy = 0;
    COLORREF m_crKey = 0;
};
