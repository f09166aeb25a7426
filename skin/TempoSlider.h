// The tempo slider: the platform's horizontal trackbar with its ticks below
// (the one style the program uses), its own thumb and channel,
// colours chosen by the owner, keyboard focus that follows the mouse, and
// Page Up / Page Down handed to the parent instead of paging.
#pragma once

#include <windows.h>

#include "framework/Controls.h"
#include "framework/Gdi.h"
#include "skin/SkinMessages.h"

class CTempoSlider : public CSliderCtrl {
public:
    // The control's timers.
    enum TimerId : UINT_PTR { kHoverTimerId = 10211 };
    static constexpr UINT kHoverDelay = 100;

    CTempoSlider();

    // Store the colour and rebuild the shades and pens; face and selection
    // repaint the control at once, the channel waits for the next paint.
    void SetFaceColour(COLORREF colour);
    void SetSelectionColour(COLORREF colour);
    void SetChannelColour(COLORREF colour);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnTimer(UINT_PTR id) override;
    void OnDestroy() override;
    bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

    void UpdateShades();
    void CreatePens();
    // The steps of the custom drawing, each given the item's rectangle.
    void DrawThumb(HDC dc, const RECT& rect) const;
    void DrawChannel(HDC dc, const RECT& rect) const;

    UINT_PTR m_nHoverTimer = 0;

    COLORREF m_crSelection;
    COLORREF m_crChannel;
    COLORREF m_crFace;
    COLORREF m_crLight1 = 0;
    COLORREF m_crLight2 = 0;
    COLORREF m_crDark1 = 0;
    COLORREF m_crDark2 = 0;
    COLORREF m_crDkShadowMid = 0;
    COLORREF m_crShadowMid = 0;
    COLORREF m_crHilight = 0;

    CPen m_penLight1;
    CPen m_penLight2;
    CPen m_penDark1;
    CPen m_penDark2;
    CPen m_penDkShadowMid;
    CPen m_penShadowMid;
    CPen m_penHilight;

private:
    LRESULT OnCustomDraw(NMCUSTOMDRAW* draw);
    void RedrawNow() const;
    void EndHoverTimer();
    void OnMouseMove();
    void OnHoverTimer();
};
