// The beat change popup: grows out of the main window's beat button, steps
// the beats per bar and the note value with its four corner buttons, and
// shrinks away when its background or anything outside it is clicked.
#pragma once

#include <windows.h>

#include "bitmap_ids.h"
#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "mainwnd/MainMessages.h"
#include "skin/PopupAnimation.h"
#include "skin/SkinButton.h"

class CBeatChangeCtrl : public CWnd {
public:
    static constexpr UINT kBeatsUpId = 100;
    static constexpr UINT kBeatsDownId = 101;
    static constexpr UINT kNoteUpId = 102;
    static constexpr UINT kNoteDownId = 103;
    // The control's timers; its buttons run their own.
    enum TimerId : UINT_PTR { kAnimTimerId = 10411 };
    static constexpr UINT kAnimMilliseconds = 50;
    static constexpr UINT kCentreBitmapId = IDB_POPUP_CENTRE;
    static constexpr int kCollapsedHeight = 38;
    // Grows by 15, 13, 11 ... down to 1 pixel a frame; shrinks by 1, 3, 5 ...
    // up to 15.
    static constexpr skin::PopupAnimation::Shape kAnimationShape{kCollapsedHeight, 15, 1, 2, false};

    ~CBeatChangeCtrl() override;

    // A hidden child of the given size at the parent's top left corner.
    bool Create(const RECT& rect, CWnd* parent, UINT id);

    // Shows this beat the next time the buttons step it; nothing is sent.
    void SetBeat(unsigned beats, unsigned note) {
        m_nBeats = beats;
        m_nNote = note;
    }
    unsigned GetBeats() const { return m_nBeats; }
    unsigned GetNote() const { return m_nNote; }

    // Opens centred on a point of the parent's client area, growing from a
    // strip 38 pixels high to the full height.
    void Open(int x, int y);
    // Shrinks to 38 pixels, then hides and takes its full size back.
    void Close();
    // From the start of opening until the start of closing.
    bool IsOpen() const { return m_bOpen != 0; }
    bool IsAnimating() const { return m_nAnimTimer != 0; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    int OnCreate(CREATESTRUCTA* cs) override;
    void OnSize(UINT type, int cx, int cy) override;
    // The paint covers every pixel.
    BOOL OnEraseBkgnd(HDC dc) override;
    void OnPaint(HDC dc) override;
    void OnTimer(UINT_PTR id) override;
    void OnDestroy() override;
    bool OnCommand(UINT id, UINT code) override;

    void Layout(int cx, int cy);
    void StartAnimation(POINT point, skin::PopupAnimation::Mode mode);
    void AnimationStep();
    void EndAnimation();
    void Report() const;

    UINT_PTR m_nAnimTimer = 0;
    unsigned m_nBeats = 4;
    unsigned m_nNote = 4;
    CFlashButton m_btnBeatsUp;
    CFlashButton m_btnBeatsDown;
    CFlashButton m_btnNoteUp;
    CFlashButton m_btnNoteDown;
    CBitmap m_bmpCenter;
    int m_bOpen = 0;
    skin::PopupAnimation m_animation{kAnimationShape};
};
