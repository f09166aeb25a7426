// The tick display: the dial with its swinging needle, the tempo, the time
// signature and the drift of the metronome in seconds per hour.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/TickInterfaces.h"
#include "engine/TickTimer.h"
#include "framework/Controls.h"
#include "framework/Gdi.h"
#include "mainwnd/MainMessages.h"
#include "mainwnd/PracticeView.h"
#include "mainwnd/TickTockMath.h"

class CFittedText;

inline constexpr char kTempoNotSetMessage[] = "Error!! Not Initialized the Tempo in TickTock Ctrl";

// The needle moves on the window thread only, so that its frames and the
// paint never draw at once: the metronome's tick (which calls StartSwing)
// and the frame timer, which wakes the window thread when the next frame or
// swing is due, run on other threads and only post.
class CTickTockCtrl : public CStatic, public CTickTimer, public ITickDisplay {
public:
    using Clock = std::chrono::steady_clock;

    CTickTockCtrl();
    ~CTickTockCtrl() override;

    void SetTempo(unsigned tempo) override;
    void SetTickBeat(unsigned beats, unsigned note) override;
    // Safe on any thread, and never waits; the swing begins when the window
    // thread gets to it, at heardAt or at once when that has passed.
    void StartSwing(Clock::time_point heardAt) override;
    // Drops the swing that runs and any asked for before.
    void StopSwing() override;

    // The timing coach's words: beside the dial on the practice tools' free
    // second lines, under the signature and under the tempo, and lines across
    // the dial below them for while it rests (the resting needle lies along
    // its foot). Empty ones are not drawn.
    struct CoachText {
        std::string left;
        std::string right;
        std::vector<std::string> lines;
        bool operator==(const CoachText&) const = default;
    };
    void SetCoachText(const CoachText& text);
    const CoachText& GetCoachText() const { return m_coach; }

    unsigned GetTempo() const { return m_nTempo; }
    std::int32_t GetDrift() const { return m_nDrift; }
    // The drift as the display shows it.
    std::string GetDriftText() const { return ticktock::FormatDrift(m_nDrift); }
    COLORREF GetTempoColour() const { return m_crTempo; }
    double GetAngle() const { return m_swing.GetNeedle().dAngle; }
    bool IsSwingingUp() const { return m_swing.GetNeedle().bUp; }
    bool IsSwinging() const { return m_swing.IsSwinging(); }
    unsigned GetFrames() const { return m_swing.GetTiming().nFrames; }
    unsigned GetFramePeriod() const { return m_swing.GetTiming().nPeriod; }
    double GetFrac() const { return m_swing.GetTiming().dFrac; }
    // The frame the running or the last swing has reached; 0 as it begins.
    unsigned GetFrame() const { return m_swing.GetFrame(); }
    // When the running or the last swing began, the needle shown at its end.
    Clock::time_point GetSwingStart() const { return m_swing.GetStart(); }
    // Needles drawn since the control was made.
    unsigned GetFrameCount() const { return m_nFrameCount; }
    // The time signature box as the last paint placed it (client coordinates).
    RECT GetSignatureBox() const { return m_rcSignature; }
    // The tempo figure as the last paint drew it: a click there is a tap.
    RECT GetTempoBox() const { return m_rcTempo; }
    // Which practice tools are on, and how far they have come.
    void SetPracticeTexts(const practiceview::Texts& texts);
    const practiceview::Texts& GetPracticeTexts() const { return m_practice; }
    // Where the last paint put them.
    const practiceview::Layout& GetPracticeLayout() const { return m_practiceLayout; }

    COLORREF m_crNeedle = RGB(255, 100, 100);
    COLORREF m_crHalo = RGB(255, 230, 230);
    COLORREF m_crBack = RGB(255, 255, 245);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void PreSubclassWindow() override;
    // The paint covers every pixel.
    BOOL OnEraseBkgnd(HDC dc) override;
    // The dial, drawn afresh into the background that the frames erase the
    // needle with, and the needle where the frames left it until a stop.
    void OnPaint(HDC dc) override;
    void OnDestroy() override;
    // The next change of the needle is due; on the frame timer's thread.
    void OnTick() override;

    void DrawDial(HDC dc, const RECT& rc);
    void DrawTimeSignature(HDC dc, const CFittedText& text, const RECT& box) const;
    void DrawDrift(HDC dc, const RECT& client) const;
    void DrawPractice(HDC dc, const RECT& client);
    void DrawCoach(HDC dc, const RECT& client) const;
    // Puts the background back where the needle was and draws it anew.
    void DrawNeedle(HDC dc);
    // The needle at its angle over what dc shows, its place kept for the
    // next frame to erase.
    void DrawNeedleOver(HDC dc, const RECT& rc);
    // Line from the current position to the arc's start, the arc counter-
    // clockwise, and the current position left at its end.
    static void DrawAngleArc(HDC dc, int x, int y, int r, float start, float sweep);

    ticktock::SwingSchedule m_swing;
    unsigned m_nTempo = 0;
    unsigned m_nSigBeats = 0;
    unsigned m_nSigNote = 0;
    std::int32_t m_nDrift = 0;
    COLORREF m_crTempo = RGB(0, 0, 0);
    unsigned m_nFrameCount = 0;
    RECT m_rcSignature{};
    RECT m_rcTempo{};
    practiceview::Texts m_practice;
    practiceview::Layout m_practiceLayout;
    CoachText m_coach;

private:
    void UpdateDrift();
    void AskSwing(Clock::time_point heardAt);
    // Draws what has changed by now and sets the timer for the next change.
    void Show(bool moved, Clock::time_point now);
    // The dial drawn into m_dcBack at the client's size; false when no
    // bitmap could be made.
    bool RenderBackground();

    // Where the other threads post; null while no window can take it.
    std::atomic<HWND> m_hTarget{nullptr};
    // Raised by every StopSwing: a swing asked for before it is dropped.
    std::atomic<unsigned> m_nStopCount{0};
    bool m_bWarning = false;

    // The dial as the last paint drew it, for the frames to erase the needle
    // with. The bitmap is declared first so that it outlives the context it
    // is selected into.
    CBitmap m_bmpBack;
    CMemDC m_dcBack;
    SIZE m_sizeBack{};
    // The background is out of date: the tempo or the beat has changed.
    bool m_bBackStale = true;
    // Where the needle was last drawn, halo included; empty before the first.
    RECT m_rcNeedle{};
    // The needle is on the screen: drawn since the last stop.
    bool m_bNeedleShown = false;
    // The frames' context, from the first frame of a run of swings until the
    // needle rests.
    std::optional<CClientDC> m_dcNeedle;
};
