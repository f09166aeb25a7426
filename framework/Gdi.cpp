#include "framework/Gdi.h"

#include "framework/WinApp.h"

bool CBitmap::LoadBitmap(UINT id) {
    Attach(static_cast<HBITMAP>(
        ::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    return *this ? true : false;
}

bool CBitmap::CreateCompatibleBitmap(HDC dc, int width, int height) {
    Attach(::CreateCompatibleBitmap(dc, width, height));
    return *this ? true : false;
}

SIZE CBitmap::GetSize() const {
    BITMAP info{};
    if (!*this || !::GetObjectA(GetSafeHandle(), sizeof info, &info))
        return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

bool CFont::CreateFont(int height, int weight) {
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    // Latin text only: the system's own character set could pick a stand-in
    // made for another script.
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    lstrcpynA(lf.lfFaceName, "Arial", LF_FACESIZE);
    Attach(::CreateFontIndirectA(&lf));
    return *this ? true : false;
}
