// The mode switch picture: a hidden child window that, when played, shows
// thirteen frames over the buttons it covers, holds the mouse meanwhile, and
// tells its parent when it has finished.
#pragma once

#include <windows.h>

#include <array>

#include "bitmap_ids.h"
#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "skin/SkinMath.h"
#include "skin/SkinMessages.h"

class CAniButton : public CWnd {
public:
    // The control's timers.
    enum TimerId : UINT_PTR { kTimerId = 10311 };
    static constexpr UINT kFramePeriod = 30;
    // Bitmap resources of the frames, in playing order from the first.
    static constexpr UINT kFirstFrameId = IDB_MODE_SWITCH_FRAME;

    // A hidden child (WS_CHILD only) over rect of the parent's client area.
    bool Create(const RECT& rect, CWnd* parent, UINT id);
    // Starts a play: 1 forward, 2 backward. A play while playing restarts from
    // the first frame of the new direction; any other direction is ignored.
    void Play(int direction);

protected:
    int OnCreate(CREATESTRUCTA* cs) override;
    void OnTimer(UINT_PTR id) override;
    void OnPaint(HDC dc) override;

    std::array<CBitmap, skin::kAniFrameCount> m_frames;
    int m_nFrame = 0;
    int m_nDirection = 0;
    UINT_PTR m_nTimer = 0;

private:
    void NextFrame();
    void Finish();
};
