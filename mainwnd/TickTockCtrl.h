// The tick display: the dial with its swinging needle, the tempo, the time
// signature and the drift of the metronome in seconds per hour.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "engine/TickInterfaces.h"
#include "engine/TickTimer.h"
#include "framework/Controls.h"
#include "mainwnd/MainMessages.h"
#include "mainwnd/TickTockMath.h"

class CFittedText;

inline constexpr char kTempoNotSetMessage[] = "Error!! Not Initialized the Tempo in TickTock Ctrl";

// The needle moves on the window thread only, so that its frames and the
// paint never draw at once: the frame timer and the metronome's tick (which
// may call StartSwing) run on the multimedia timer thread and only post.
class CTickTockCtrl : public CStatic, public CTickTimer, public ITickDisplay {
public:
    CTickTockCtrl();
    ~CTickTockCtrl() override;

    void SetTempo(unsigned tempo) override;
    void SetTickBeat(unsigned beats, unsigned note) override;
    // Safe on any thread; the swing begins when the window thread gets to it.
    void StartSwing(std::chrono::steady_clock::time_point heardAt) override;
    void StopSwing() override;

    unsigned GetTempo() const { return m_nTempo; }
    std::int32_t GetDrift() const { return m_nDrift; }
    COLORREF GetTempoColour() const { return m_crTempo; }
    double GetAngle() const { return m_needle.dAngle; }
    bool IsSwingingUp() const { return m_needle.bUp; }
    bool IsSwinging() const { return m_bSwinging; }
    unsigned GetFrames() const { return m_nFrames; }
    unsigned GetFramePeriod() const { return m_nFramePeriod; }
    double GetFrac() const { return m_dFrac; }
    // Frames drawn since the control was made.
    unsigned GetFrameCount() const { return m_nFrameCount; }
    // The time signature box as the last paint placed it (client coordinates).
    RECT GetSignatureBox() const { return m_rcSignature; }

    COLORREF m_crNeedle = RGB(255, 100, 100);
    COLORREF m_crHalo = RGB(255, 230, 230);
    COLORREF m_crBack = RGB(255, 255, 245);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void PreSubclassWindow() override;
    // The paint covers every pixel.
    BOOL OnEraseBkgnd(HDC dc) override;
    void OnPaint(HDC dc) override;
    void OnDestroy() override;
    // One frame is due; on the multimedia timer thread.
    void OnTick() override;

    void DrawTimeSignature(HDC dc, const CFittedText& text, const RECT& box) const;
    void DrawDrift(HDC dc) const;
    void DrawNeedle(HDC dc);
    // Line from the current position to the arc's start, the arc counter-
    // clockwise, and the current position left at its end.
    static void DrawAngleArc(HDC dc, int x, int y, int r, float start, float sweep);

    unsigned m_nFrames = 24;
    bool m_bSwinging = false;
    ticktock::Needle m_needle;
    double m_dFrac = 0.0;
    unsigned m_nFramePeriod = 0;
    unsigned m_nTempo = 0;
    unsigned m_nSigBeats = 0;
    unsigned m_nSigNote = 0;
    std::int32_t m_nDrift = 0;
    COLORREF m_crTempo = RGB(0, 0, 0);
    POINT m_ptLastTip{};
    bool m_bTipSet = false;
    unsigned m_nFrameCount = 0;
    RECT m_rcSignature{};

private:
    void UpdateDrift();
    void BeginSwing();
    void DrawFrames();
    void EndSwing();

    // Where the timer thread posts; null while no window can take it.
    std::atomic<HWND> m_hTarget{nullptr};
    // Frames the timer has counted that the window thread has not drawn.
    std::atomic<unsigned> m_nFramesDue{0};
    // Raised by every StopSwing: a swing asked for before it is dropped.
    std::atomic<unsigned> m_nStopCount{0};
    bool m_bWarning = false;
};
