// Push buttons drawn from bitmaps: CSkinButton (hot, normal and disabled
// images) and CFlashButton (plus an image flashed after each click).
#pragma once

#include <windows.h>

#include "framework/Controls.h"
#include "skin/SkinImage.h"

// The transparent colour of every button image.
inline constexpr COLORREF kSkinButtonKey = RGB(0, 255, 0);
// The up and down arrow buttons in the corners of the pop-up spins.
inline constexpr int kArrowButtonWidth = 46;
inline constexpr int kArrowButtonHeight = 27;

class CSkinButton : public CButton {
public:
    // How far the image moves while the button is pressed.
    enum PressStyle : int {
        kPressShiftRightDown = 0, // one pixel right and one down
        kPressShiftDown = 1,      // two pixels down
        kPressStill = 2,
    };
    // What setting the button up reports.
    enum Result : int {
        kOk = CSkinImage::kOk,
        kCannotMeasure = CSkinImage::kCannotMeasure,
        kCannotMask = CSkinImage::kCannotMask,
        kUnknownPressStyle = 6,
    };

    CSkinButton();

    // Loads the images (id 0: none) and makes their masks. Without a normal
    // image the hot one stands in; without a hot one nothing is drawn but the
    // face. When a bitmap cannot be measured or a mask cannot be made, no
    // image is kept.
    Result SetImages(UINT hotId, COLORREF hotKey, UINT normalId, COLORREF normalKey, UINT disabledId,
                     COLORREF disabledKey);
    // A value that is no PressStyle changes nothing: kUnknownPressStyle.
    Result SetPressStyle(PressStyle style, BOOL redraw);
    Result EnableBorder(BOOL on, BOOL redraw);
    Result EnableFocusRect(BOOL on, BOOL redraw);

    // How far inside the button the focus rectangle lies, on every side.
    int m_nFocusInset = 9;

    // A double-click is turned into a second press, so it clicks twice.
    BOOL PreTranslateMessage(MSG* msg) override;

    enum Image { kHotImage, kNormalImage, kDisabledImage };
    const CSkinImage& GetImage(Image which) const { return m_images[which]; }

protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
    void DrawItem(DRAWITEMSTRUCT* dis) override;

    const CSkinImage& CurrentImage() const;
    void LeaveHot();

    bool m_bHot = false;
    bool m_bPressed = false;
    bool m_bFocused = false;
    bool m_bDisabled = false;
    bool m_bDefault = false;
    int m_nPressShiftX = 1;
    int m_nPressShiftY = 1;
    bool m_bBorder = true;
    bool m_bFocusRect = false;
    COLORREF m_crFace;
    CSkinImage m_images[3];

private:
    void OnMouseMove(WPARAM wp, LPARAM lp);
    void OnDisabled();
    void Redraw(BOOL redraw) const;
};

class CFlashButton : public CSkinButton {
public:
    // The button's timers.
    enum TimerId : UINT_PTR { kFlashTimerId = 10201 };
    static constexpr UINT kFlashMilliseconds = 120;

    ~CFlashButton() override;

    using CSkinButton::SetImages;
    // The three images of CSkinButton, then the flash image (id 0: none).
    Result SetImages(UINT hotId, COLORREF hotKey, UINT normalId, COLORREF normalKey, UINT disabledId,
                     COLORREF disabledKey, UINT flashId, COLORREF flashKey);
    // Shows the flash image over the button now, for 120 ms. A flash
    // meanwhile starts the 120 ms again.
    void Flash();
    const CSkinImage& GetFlashImage() const { return m_flashImage; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void DrawItem(DRAWITEMSTRUCT* dis) override;
    void OnTimer(UINT_PTR id) override;
    void OnDestroy() override;

    CSkinImage m_flashImage;
    UINT_PTR m_nFlashTimer = 0;
    bool m_bPressedHere = false;

private:
    void StopFlashTimer();
};

// How every window sets up its flash buttons, right after they exist: the
// image stays put while pressed, no border, a focus rectangle, pure green
// transparent in each image (id 0: none).
void SetUpFlashButton(CFlashButton& button, UINT hotId, UINT normalId, UINT disabledId, UINT flashId);
