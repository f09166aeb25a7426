// A popup number field with up and down repeat buttons, opened over a button
// with a growing animation and closed with a shrinking one.
#pragma once

#include <windows.h>

#include "bitmap_ids.h"
#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "skin/PopupAnimation.h"
#include "skin/RepeatButton.h"
#include "skin/SkinMessages.h"

class CValueSpin : public CWnd {
public:
    static constexpr UINT kUpId = 100;
    static constexpr UINT kDownId = 101;
    // The control's timers; its buttons run their own.
    enum TimerId : UINT_PTR { kAnimTimerId = 10511 };
    static constexpr UINT kAnimMilliseconds = 50;
    static constexpr int kOpenHeight = 60;
    // Grows by 7, 5, 3, 1 ... pixels at each edge a frame and shrinks by 1,
    // 3, 5, 7 ...; the last shrinking frame may pass the home height, the
    // spin goes home after it. The collapsed height is the home's.
    static constexpr skin::PopupAnimation::Shape kAnimationShape{0, 14, 2, 4, true};
    static constexpr UINT kBackgroundId = IDB_SPIN_BACKGROUND;

    ~CValueSpin() override;

    // Creates the spin hidden at home (parent client coordinates), which
    // becomes m_rcHome.
    bool Create(const RECT& home, CWnd* parent, UINT id);

    void SetValue(int value);
    int GetValue() const { return m_nValue; }
    // Grows from m_rcHome to 60 pixels tall about the same middle, then stays.
    void Open();
    // Shrinks until no taller than m_rcHome, then hides and goes home.
    void Close();
    // From the start of opening until the start of closing.
    bool IsOpen() const { return m_bOpen != 0; }
    // Draws the whole spin, buttons included, at once.
    void DrawNow() const;

    // Inclusive limits, set by the parent after creation.
    int m_nMax = 0;
    int m_nMin = 0;
    // Where the spin sits when closed, in the parent's client coordinates.
    RECT m_rcHome{};

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    int OnCreate(CREATESTRUCTA* cs) override;
    void OnSize(UINT type, int cx, int cy) override;
    // The paint covers every pixel.
    BOOL OnEraseBkgnd(HDC dc) override;
    void OnPaint(HDC dc) override;
    bool OnCommand(UINT id, UINT code) override;
    void OnTimer(UINT_PTR id) override;
    void OnDestroy() override;

    void Layout(int cx, int cy);
    // The background, then the value in the colour.
    void Draw(HDC dc, COLORREF textColour) const;
    void Step(int delta);
    void AnimationTick();
    // One frame of the animation: moves to rc (parent coordinates) and draws.
    void MoveFrame(const RECT& rc);
    void StopAnimation();
    void KillAnimTimer();

    UINT_PTR m_nAnimTimer = 0;
    int m_nValue = 0;
    CRepeatButton m_btnUp;
    CRepeatButton m_btnDown;
    CBitmap m_bmpBack;
    int m_bOpen = 0;
    RECT m_rcText{};
    skin::PopupAnimation m_animation{kAnimationShape};
    // At a limit the value shows in red until the next paint.
    bool m_bWarnLimit = false;
};
