// The main metronome window: the tick display, the tempo slider and buttons,
// start and stop, the beat popup, the mode switch and the custom beat editor.
// It owns the engine, the sound bank and the display that the engine drives;
// the ticks run on the output stream's render thread, inside the engine.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>

#include "engine/MetronomeEngine.h"
#include "engine/SoundBank.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "framework/Handle.h"
#include "mainwnd/BeatChangeCtrl.h"
#include "mainwnd/MainMessages.h"
#include "mainwnd/TapTempo.h"
#include "mainwnd/TickTockCtrl.h"
#include "mainwnd/TimingCoach.h"
#include "skin/AniButton.h"
#include "skin/HyperlinkBtn.h"
#include "skin/SkinButton.h"
#include "skin/TempoSlider.h"

class CAppData;
class CSettings;

// Where the "Website" label leads; the About dialog's web link too.
inline constexpr char kProductWebsite[] = "http://www.example.org/pulsewick";

// The About dialog belongs to the application, above this window, which says
// how to show it. Either may be left empty: nothing is shown then.
struct AboutDialogs {
    // From the About link, while the metronome goes on.
    std::function<void()> showAbout;
    // The splash at start; whether to show it at the next start.
    std::function<bool()> runSplash;
};

class CMetronomeDlg : public CDialog {
public:
    static constexpr UINT kBeatChangeId = 12;
    static constexpr UINT kModeSwitchAnimationId = 11;
    static constexpr UINT kTimingCoachId = 13;

    // The settings and the pattern come from the data store and go back to
    // it; without one the window starts in click mode without a splash and
    // stores nothing.
    explicit CMetronomeDlg(CAppData* data, AboutDialogs about = {}, CWnd* parent = nullptr);
    ~CMetronomeDlg() override;

    // The tempo is the slider's, which runs against it: position 30 is 300.
    int GetTempo() const;
    // Shows the slider's tempo, and restarts a playing metronome at it.
    void ApplyTempo();
    // A new chosen beat: beats per bar and note value. A playing metronome
    // starts again with the bar.
    void SetBeat(unsigned beats, unsigned note);
    // A playing metronome starts again in the mode.
    void SetUserBeatMode(bool on);
    void StartTicking(int tempo);
    void StopTicking();
    bool IsPlaying() const { return m_engine.IsPlaying(); }
    // What the window plays, for those who watch it (tests, benchmarks).
    const CMetronomeEngine& GetEngine() const { return m_engine; }
    const CSoundBank& GetSoundBank() const { return m_soundBank; }
    // Told of every tick before it plays; only while stopped.
    void SetTickObserver(ITickObserver* observer) { m_engine.SetTickObserver(observer); }
    CTimingCoach& GetCoach() { return m_coach; }

    // Navigation keys move the tempo whatever has the focus; other keys and
    // clicks outside close the beat popup; Escape is swallowed.
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    // Enter and Escape never close the metronome; only WM_CLOSE does.
    void OnOK() override {}
    void OnCancel() override {}
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    // The icon while minimised.
    void OnPaint(HDC dc) override;
    // White behind everything.
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT type) override;
    bool OnCommand(UINT id, UINT code) override;
    void OnDestroy() override;

private:
    CAppData* const m_pAppData;
    const AboutDialogs m_about;
    CBrush m_brushBack;
    // Every sound of the program plays in it; it outlives all that play.
    COutputStream m_stream;
    CSoundBank m_soundBank{m_stream};
    CBeatChangeCtrl m_beatChange;
    CAniButton m_aniSwitch;
    CHyperlinkBtn m_linkAbout;
    CHyperlinkBtn m_linkWebsite;
    CFlashButton m_btnBeatChange;
    CFlashButton m_btnCustomBeat;
    CFlashButton m_btnModeSwitch;
    CFlashButton m_btnStop;
    CFlashButton m_btnTempoDown;
    CFlashButton m_btnTempoUp;
    CFlashButton m_btnStart;
    CTickTockCtrl m_tickTock;
    // Between the engine and the display: it hears every beat and tick.
    CTimingCoach m_coach{m_tickTock, m_stream};
    CTempoSlider m_sliderTempo;
    pw::UniqueIcon m_hIcon;
    CTapTempo m_tapTempo;
    // Hands the run's practice news to the window thread.
    struct PracticePoster : IPracticeListener {
        std::atomic<HWND> hWnd{nullptr};
        void OnPracticeChanged() override;
        void OnPracticeEnded() override;
    } m_practicePoster;
    // After the bank and the display it drives: it goes first and ends its
    // run of the stream before they do.
    CMetronomeEngine m_engine{m_soundBank, m_coach, m_stream};

    // The commands of the buttons.
    void OnStart();
    void OnStop();
    void OnTempoUp();
    void OnTempoDown();
    void OnModeSwitch();
    void OnOpenBeatChange();
    void OnCustomBeat();

    // The messages of the slider, the popup, the mode switch and the link.
    void OnPageJump(bool up);
    void OnSliderScroll(UINT code);
    void CloseBeatChange();
    void OnBeatChosen(unsigned beats, unsigned note);
    // The mode switch animation has finished: the buttons show the mode.
    void OnModeSwitched();
    void OnAbout();
    // The session really ends: Windows ends the process as soon as this
    // returns, so everything a close stores is stored here and now.
    void OnEndSession();

    // The practice tools (MetronomePractice.cpp).
    void SetUpPractice();
    // T, a click on the tempo figure, P and a right click on the tick
    // display; true when the message is used up.
    bool OnPracticeInput(const MSG& msg);
    void OnTap(DWORD time);
    void OnPracticeWindow();
    void ApplyPracticePlan();
    // The run has come further: the display, and the trainer's tempo on the
    // figure and the slider.
    void OnPracticeChanged();
    void OnPracticeEnded();
    void ShowPractice();
    // After a stop: the tempo the user chose, not the trainer's.
    void ReturnToChosenTempo();

    void StepTempo(int delta);
    // The buttons show the engine's state: start or stop, and the button of
    // the mode (beat change in click mode, custom beat in user beat mode).
    void ShowPlaying();
    void ShowMode();
    // The engine's mode, for the next start.
    void StoreUserBeatMode();
    void SetUpButtons();
    void SetSliderTempo(int tempo);
    // The current pattern of the data store, or none without one.
    void TakePattern();
    CSettings* Settings() const;
};
