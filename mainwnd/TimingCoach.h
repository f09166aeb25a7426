// The timing coach: while the metronome plays with the coach on, it listens
// through the microphone (CInputStream), matches the player's hits to the
// beats and shows how early or late each one is on the tick display, with a
// summary after Stop. It calibrates the way from the speakers to the
// microphone, and logs every run, coach on or off, to the practice log.
//
// Threads: it stands between the engine and the tick display, so it hears of
// every beat (StartSwing) and, as the engine's tick observer, of every tick,
// on the render thread; the input stream's thread hands it the onsets. Both
// only hand over; a timer of this hidden window does the rest on the window
// thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/HandOver.h"
#include "engine/InputStream.h"
#include "engine/MetronomeEngine.h"
#include "engine/OutputStream.h"
#include "engine/TimingCoach.h"
#include "framework/Wnd.h"
#include "mainwnd/TickTockCtrl.h"

class CSettings;

class CTimingCoach : public CWnd,
                     public ITickDisplay,
                     public ITickObserver,
                     private IInputListener,
                     private IBlockListener {
public:
    static constexpr unsigned kCalibrationClicks = 12;
    static constexpr unsigned kCalibrationEveryMs = 400;

    CTimingCoach(CTickTockCtrl& display, COutputStream& stream);
    ~CTimingCoach() override;

    // A hidden child of the main window; looks for an input device.
    bool Create(CWnd* parent, UINT id);
    // The settings it reads and stores ("Coach On" and the calibration);
    // without any the coach stays off and logs nothing.
    void SetSettings(CSettings* settings) { m_pSettings = settings; }

    // The engine's display: passed on to the tick display.
    void SetTempo(unsigned tempo) override { m_display.SetTempo(tempo); }
    void SetTickBeat(unsigned beats, unsigned note) override { m_display.SetTickBeat(beats, note); }
    void StartSwing(std::chrono::steady_clock::time_point heardAt) override;
    void StopSwing() override { m_display.StopSwing(); }
    void OnTick(std::uint64_t tick, std::int64_t sample) override;

    // A run of the metronome, from Start to Stop: logged, and listened to
    // with the coach on.
    void OnRunStart(unsigned tempo, bool userBeatMode);
    void OnRunStop(unsigned tempo);
    bool IsInRun() const { return m_run.has_value(); }

    // Why the coach cannot listen ("No input device"), or "".
    const std::string& GetUnavailableReason() const { return m_unavailable; }
    bool IsOn() const;
    // Takes effect from the next Start.
    void SetOn(bool on);
    bool IsCalibrated() const;
    unsigned GetLatencyMs() const;
    // Plays kCalibrationClicks clicks and listens for them coming back; the
    // round trip goes to the settings. False when it cannot start: while
    // playing or calibrating, without settings or an input device.
    bool Calibrate();
    bool IsCalibrating() const { return m_calibration != nullptr; }
    bool IsListening() const { return m_pInput != nullptr; }
    // The last run's, or the one going on.
    CoachSummary GetSummary() const { return m_session ? m_session->GetSummary() : CoachSummary{}; }
    static std::string GetPracticeLogPath();
    // Opens the practice log in the program the system opens CSV files with
    // (a new log holds only its header). False when there is none.
    static bool OpenPracticeLog();
    // Called on the window thread whenever what the coach can do or knows
    // changes (a calibration ends, the input is lost).
    std::function<void()> m_onChange;

protected:
    void OnTimer(UINT_PTR id) override;
    void OnDestroy() override;

private:
    struct Calibration;
    struct Run {
        std::tm started{};
        std::chrono::steady_clock::time_point startedAt;
        unsigned nTempo = 0;
        bool bUserBeatMode = false;
        bool bCoached = false;
    };

    void OnInputOnset(std::int64_t atUs, float peak) override;
    void OnInputEnded() override;
    // The calibration's clicks, on the render thread.
    void OnBlock(std::int64_t from, std::int64_t to, unsigned rate) override;

    void StartInput();
    void StopInput();
    // Takes over what the other threads handed over and matches it.
    void Collect(bool ended);
    void FinishCalibration();
    void Changed();
    void Show(const std::string& left, const std::string& right, std::vector<std::string> lines = {});
    std::int64_t HeardUs(std::int64_t sample) const;

    CTickTockCtrl& m_display;
    COutputStream& m_stream;
    CSettings* m_pSettings = nullptr;
    std::string m_unavailable;

    std::atomic<bool> m_bTaking{false};
    std::atomic<unsigned> m_nBeats{0};
    CHandOver<CoachTick, 1024> m_ticks;
    CHandOver<CoachOnset, 256> m_onsets;
    std::atomic<bool> m_bInputEnded{false};
    std::unique_ptr<CInputStream> m_pInput;

    std::optional<Run> m_run;
    std::unique_ptr<CCoachSession> m_session;
    std::unique_ptr<Calibration> m_calibration;
};
