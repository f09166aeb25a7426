// The main metronome window run as the program runs it (modally), driven from
// inside its own message loop: the initial state, start with the accent
// first, the tempo buttons, page jumps and keys, the beat popup, the mode
// switch, the editor, Enter and Escape, its links, closing and what it stores.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "FontReplacement.h"
#include "WinTest.h"
#include "app/AboutDlg.h"
#include "app/MetronomeApp.h"
#include "mainwnd/MetronomeDlg.h"
#include "resource.h"
#include "skin_support/FocusFrames.h"

// The data store of the application object, handed to each window.
CMetronomeApp theTestApp;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr UINT kNextStep = WM_APP + 0x700;

class TestDlg : public CMetronomeDlg {
public:
    using Step = std::function<void(TestDlg&)>;

    using CMetronomeDlg::CMetronomeDlg;

    using CMetronomeDlg::m_beatChange;
    using CMetronomeDlg::m_btnBeatChange;
    using CMetronomeDlg::m_btnCustomBeat;
    using CMetronomeDlg::m_btnModeSwitch;
    using CMetronomeDlg::m_btnStart;
    using CMetronomeDlg::m_btnStop;
    using CMetronomeDlg::m_btnTempoDown;
    using CMetronomeDlg::m_btnTempoUp;
    using CMetronomeDlg::m_engine;
    using CMetronomeDlg::m_sliderTempo;
    using CMetronomeDlg::m_soundBank;
    using CMetronomeDlg::m_tickTock;

    // Run one after another from the dialog's own loop, each once the
    // messages the one before posted have been handled; then WM_CLOSE.
    std::vector<Step> steps;
    size_t stepsRun = 0;

    // The sequencer's step as each tick found it, so 0 is the accent in
    // click mode; and whether it played the pattern.
    static constexpr unsigned kMaxTicks = 4096;
    std::array<std::atomic<unsigned>, kMaxTicks> tickStep{};
    std::array<std::atomic<bool>, kMaxTicks> tickUserBeat{};
    std::atomic<unsigned> tickCount{0};

    void OnTick() override {
        const unsigned i = tickCount.load();
        if (i < kMaxTicks) {
            tickStep[i].store(m_soundBank.GetStep());
            tickUserBeat[i].store(m_soundBank.IsUserBeat());
            tickCount.store(i + 1);
        }
        CMetronomeDlg::OnTick();
    }

    std::vector<unsigned> TickSteps(unsigned from, unsigned count) const {
        std::vector<unsigned> out;
        for (unsigned i = from; i < from + count && i < tickCount.load(); ++i)
            out.push_back(tickStep[i].load());
        return out;
    }

protected:
    BOOL OnInitDialog() override {
        BOOL result = CMetronomeDlg::OnInitDialog();
        PostMessage(kNextStep);
        return result;
    }

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg != kNextStep)
            return CMetronomeDlg::WindowProc(msg, wp, lp);
        if (stepsRun < steps.size()) {
            steps[stepsRun++](*this);
            PostMessage(kNextStep);
        } else {
            PostMessage(WM_CLOSE);
        }
        return 0;
    }
};

// Dispatches as the dialog's own loop does (through its filter) until the
// condition holds or the time-out passes.
bool RunUntil(HWND dlg, const std::function<bool()>& until, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!AfxWalkPreTranslateTree(dlg, &msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
        if (until())
            return true;
        if (Clock::now() > deadline)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
    }
}

void RunFor(HWND dlg, std::chrono::milliseconds duration) {
    RunUntil(
        dlg, [] { return false; }, duration);
}

LPARAM Point(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

// A mouse click on a control, as the user makes it: the window's filter
// looks at where the pointer is.
void ClickControl(HWND dlg, HWND control) {
    POINT at{20, 10};
    ::ClientToScreen(control, &at);
    ::SetCursorPos(at.x, at.y);
    ::PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, Point(20, 10));
    ::PostMessageA(control, WM_LBUTTONUP, 0, Point(20, 10));
    RunFor(dlg, 20ms);
}

// The button's command, as a click or the space bar gives it.
void Command(TestDlg& d, int id) {
    d.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(d.GetDlgItem(id)));
}

void KeyTo(HWND dlg, HWND target, WPARAM key) {
    ::PostMessageA(target, WM_KEYDOWN, key, 1);
    ::PostMessageA(target, WM_KEYUP, key, 0xC0000001);
    RunFor(dlg, 20ms);
}

void SetTempo(TestDlg& d, int tempo) {
    d.m_sliderTempo.SetPos(30 + 300 - tempo);
    d.ApplyTempo();
}

void StartAndWaitForTicks(TestDlg& d, unsigned ticks) {
    ClickControl(d, d.m_btnStart);
    ASSERT_TRUE(d.IsPlaying());
    ASSERT_TRUE(RunUntil(
        d, [&] { return d.tickCount.load() >= ticks; }, 5s));
}

// Waits until the next tick will play this step of the bar.
void WaitForStep(TestDlg& d, unsigned step) {
    ASSERT_TRUE(RunUntil(
        d, [&] { return d.m_soundBank.GetStep() == step; }, 5s));
}

class MetronomeDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::SetCursorPos(0, 0);
        settings = theTestApp.m_pAppData->m_pSettings.get();
        savedUserBeat = settings->m_bUserBeatMode;
        savedSplash = settings->m_bShowSplash;
        settings->m_bShowSplash = 0;
        settings->m_bUserBeatMode = 0;
        AfxGetApp()->m_pMainWnd = &dlg;
    }

    void TearDown() override {
        AfxGetApp()->m_pMainWnd = nullptr;
        // What the run stores at exit stays as it was before the tests.
        settings->m_bUserBeatMode = savedUserBeat;
        settings->m_bShowSplash = savedSplash;
    }

    void Run() {
        const size_t count = dlg.steps.size();
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_EQ(dlg.stepsRun, count) << "the window closed before every step ran";
    }

    TestDlg dlg{theTestApp.m_pAppData.get(), {ShowAboutDialog, RunStartupSplash}};
    CSettings* settings = nullptr;
    int savedUserBeat = 0;
    int savedSplash = 0;
};

TEST_F(MetronomeDlgTest, StartsStoppedAt100InFourFour) {
    dlg.steps = {[](TestDlg& d) {
        EXPECT_EQ(d.GetTempo(), 100);
        EXPECT_EQ(d.m_sliderTempo.GetRangeMin(), 30);
        EXPECT_EQ(d.m_sliderTempo.GetRangeMax(), 300);
        EXPECT_EQ(d.m_sliderTempo.GetPos(), 230) << "the position runs against the tempo";
        EXPECT_EQ(d.m_tickTock.GetTempo(), 100u);
        EXPECT_EQ(d.m_engine.GetBeats(), 4u);
        EXPECT_EQ(d.m_engine.GetNote(), 4u);
        EXPECT_FALSE(d.m_engine.IsUserBeatMode());
        EXPECT_EQ(d.m_beatChange.GetBeats(), 4u);
        EXPECT_EQ(d.m_beatChange.GetNote(), 4u);
        EXPECT_FALSE(d.m_beatChange.IsWindowVisible());
        EXPECT_FALSE(d.IsPlaying());
        EXPECT_TRUE(d.m_btnStart.IsWindowVisible());
        EXPECT_FALSE(d.m_btnStop.IsWindowVisible());
        EXPECT_TRUE(d.m_btnBeatChange.IsWindowEnabled());
        EXPECT_FALSE(d.m_btnCustomBeat.IsWindowEnabled());
        EXPECT_EQ(d.SendMessage(UWM_ARE_YOU_ME), static_cast<LRESULT>(UWM_ARE_YOU_ME));
        EXPECT_TRUE(d.SendMessage(WM_GETICON, ICON_BIG));
        RunFor(d, 300ms);
        EXPECT_EQ(d.tickCount.load(), 0u) << "the metronome does not start by itself";
    }};
    Run();
}

TEST_F(MetronomeDlgTest, StartPlaysTheAccentFirstAndStopEndsTheTicks) {
    dlg.steps = {[](TestDlg& d) {
        SetTempo(d, 300);
        StartAndWaitForTicks(d, 6);
        EXPECT_EQ(d.TickSteps(0, 6), (std::vector<unsigned>{0, 1, 2, 3, 0, 1}));
        EXPECT_FALSE(d.tickUserBeat[0].load());
        EXPECT_FALSE(d.m_btnStart.IsWindowVisible());
        EXPECT_TRUE(d.m_btnStop.IsWindowVisible());
        EXPECT_EQ(::GetFocus(), d.m_btnStop.GetSafeHwnd());
        EXPECT_GT(d.m_tickTock.GetFrameCount(), 0u) << "the needle swings";

        ClickControl(d, d.m_btnStop);
        EXPECT_FALSE(d.IsPlaying());
        EXPECT_TRUE(d.m_btnStart.IsWindowVisible());
        EXPECT_FALSE(d.m_btnStop.IsWindowVisible());
        EXPECT_EQ(::GetFocus(), d.m_btnStart.GetSafeHwnd());
        const unsigned ticks = d.tickCount.load();
        RunFor(d, 500ms);
        EXPECT_EQ(d.tickCount.load(), ticks);
        EXPECT_FALSE(d.m_tickTock.IsSwinging());

        // A fresh start begins with the accent again.
        StartAndWaitForTicks(d, ticks + 2);
        EXPECT_EQ(d.TickSteps(ticks, 2), (std::vector<unsigned>{0, 1}));
        ClickControl(d, d.m_btnStop);
    }};
    Run();
}

TEST_F(MetronomeDlgTest, TempoStepsStopAt300And30) {
    dlg.steps = {[](TestDlg& d) {
        Command(d, IDC_MAIN_TEMPO_UP);
        EXPECT_EQ(d.GetTempo(), 101);
        EXPECT_EQ(d.m_tickTock.GetTempo(), 101u);
        Command(d, IDC_MAIN_TEMPO_DOWN);
        Command(d, IDC_MAIN_TEMPO_DOWN);
        EXPECT_EQ(d.GetTempo(), 99);

        SetTempo(d, 300);
        Command(d, IDC_MAIN_TEMPO_UP);
        EXPECT_EQ(d.GetTempo(), 300);
        EXPECT_EQ(d.m_sliderTempo.GetPos(), 30);
        SetTempo(d, 30);
        Command(d, IDC_MAIN_TEMPO_DOWN);
        EXPECT_EQ(d.GetTempo(), 30);
        EXPECT_EQ(d.m_sliderTempo.GetPos(), 300);
        EXPECT_EQ(d.m_tickTock.GetTempo(), 30u);
    }};
    Run();
}

TEST_F(MetronomeDlgTest, PageJumpsFindAccurateTempos) {
    dlg.steps = {[](TestDlg& d) {
        d.m_btnStart.SetFocus();
        d.SendMessage(WM_SLIDER_PUSH_PGUP);
        EXPECT_EQ(d.GetTempo(), 101);
        EXPECT_EQ(d.m_tickTock.GetTempo(), 101u) << "applied at once without the slider's focus";
        SetTempo(d, 299);
        d.SendMessage(WM_SLIDER_PUSH_PGUP);
        EXPECT_EQ(d.GetTempo(), 300);
        d.SendMessage(WM_SLIDER_PUSH_PGUP);
        EXPECT_EQ(d.GetTempo(), 300);
        SetTempo(d, 31);
        d.SendMessage(WM_SLIDER_PUSH_PGDOWN);
        EXPECT_EQ(d.GetTempo(), 30);
        d.SendMessage(WM_SLIDER_PUSH_PGDOWN);
        EXPECT_EQ(d.GetTempo(), 30);
        EXPECT_EQ(d.m_tickTock.GetTempo(), 30u);

        // From the keyboard: the key goes to the slider, which asks for the
        // jump; with the slider focused the release applies it.
        SetTempo(d, 100);
        d.m_sliderTempo.SetFocus();
        ::PostMessageA(d.m_sliderTempo, WM_KEYDOWN, VK_PRIOR, 1);
        RunFor(d, 20ms);
        EXPECT_EQ(d.GetTempo(), 101);
        EXPECT_EQ(d.m_tickTock.GetTempo(), 100u) << "not yet: the key is still down";
        ::PostMessageA(d.m_sliderTempo, WM_KEYUP, VK_PRIOR, 0xC0000001);
        RunFor(d, 20ms);
        EXPECT_EQ(d.m_tickTock.GetTempo(), 101u);
    }};
    Run();
}

TEST_F(MetronomeDlgTest, ArrowKeysMoveTheTempoFromAnyButton) {
    dlg.steps = {[](TestDlg& d) {
        d.m_btnStart.SetFocus();
        KeyTo(d, d.m_btnStart, VK_UP);
        EXPECT_EQ(d.GetTempo(), 101);
        EXPECT_EQ(d.m_tickTock.GetTempo(), 101u);
        EXPECT_EQ(::GetFocus(), d.m_btnStart.GetSafeHwnd()) << "the key does not move the focus";

        d.m_btnTempoUp.SetFocus();
        KeyTo(d, d.m_btnTempoUp, VK_DOWN);
        EXPECT_EQ(d.GetTempo(), 100);
        d.m_btnModeSwitch.SetFocus();
        KeyTo(d, d.m_btnModeSwitch, VK_RIGHT);
        EXPECT_EQ(d.GetTempo(), 99);
        KeyTo(d, d.m_btnModeSwitch, VK_LEFT);
        EXPECT_EQ(d.GetTempo(), 100);
        KeyTo(d, d.m_btnModeSwitch, VK_HOME);
        EXPECT_EQ(d.GetTempo(), 300);
        KeyTo(d, d.m_btnModeSwitch, VK_END);
        EXPECT_EQ(d.GetTempo(), 30);
        EXPECT_EQ(d.m_tickTock.GetTempo(), 30u);
        EXPECT_EQ(::GetFocus(), d.m_btnModeSwitch.GetSafeHwnd());
    }};
    Run();
}

TEST_F(MetronomeDlgTest, EscapeAndEnterDoNotCloseTheWindow) {
    dlg.steps = {
        [](TestDlg& d) {
            d.m_sliderTempo.SetFocus();
            ::PostMessageA(d.m_sliderTempo, WM_KEYDOWN, VK_ESCAPE, 1);
            ::PostMessageA(d.m_sliderTempo, WM_KEYDOWN, VK_RETURN, 1);
            ::PostMessageA(d, WM_COMMAND, IDOK, 0);
            ::PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
        },
        [](TestDlg& d) {
            EXPECT_TRUE(d.IsWindowVisible());
            EXPECT_FALSE(d.IsPlaying());
            EXPECT_EQ(d.GetTempo(), 100);
        },
    };
    // WM_CLOSE after the last step: DoModal returns IDCANCEL.
    Run();
}

TEST_F(MetronomeDlgTest, PopupOpensOverTheBeatButtonAndClosesOnKeysAndClicksOutside) {
    dlg.steps = {[](TestDlg& d) {
        RECT button;
        d.m_btnBeatChange.GetWindowRect(&button);
        ClickControl(d, d.m_btnBeatChange);
        EXPECT_TRUE(d.m_beatChange.IsOpen());
        EXPECT_FALSE(d.m_btnBeatChange.IsWindowVisible());
        ASSERT_TRUE(RunUntil(
            d, [&] { return !d.m_beatChange.IsAnimating(); }, 2s));
        RECT popup;
        d.m_beatChange.GetWindowRect(&popup);
        EXPECT_LE(std::abs((popup.left + popup.right) / 2 - (button.left + button.right) / 2), 1);
        EXPECT_LE(std::abs((popup.top + popup.bottom) / 2 - (button.top + button.bottom) / 2), 1);

        // A key closes it.
        KeyTo(d, d.m_btnStart, 'A');
        EXPECT_FALSE(d.m_beatChange.IsOpen());
        EXPECT_TRUE(d.m_btnBeatChange.IsWindowVisible());
        ASSERT_TRUE(RunUntil(
            d, [&] { return !d.m_beatChange.IsWindowVisible(); }, 2s));

        // So does a tempo key, through the slider's scrolling.
        ClickControl(d, d.m_btnBeatChange);
        ASSERT_TRUE(RunUntil(
            d, [&] { return !d.m_beatChange.IsAnimating(); }, 2s));
        KeyTo(d, d.m_btnStart, VK_UP);
        EXPECT_EQ(d.GetTempo(), 101);
        EXPECT_FALSE(d.m_beatChange.IsOpen());
        ASSERT_TRUE(RunUntil(
            d, [&] { return !d.m_beatChange.IsWindowVisible(); }, 2s));

        // And a click outside it, which goes on to where it was made.
        ClickControl(d, d.m_btnBeatChange);
        ASSERT_TRUE(RunUntil(
            d, [&] { return !d.m_beatChange.IsAnimating(); }, 2s));
        ClickControl(d, d.m_btnTempoUp);
        EXPECT_FALSE(d.m_beatChange.IsOpen());
        EXPECT_TRUE(d.m_btnBeatChange.IsWindowVisible());
        EXPECT_EQ(d.GetTempo(), 102);
        ASSERT_TRUE(RunUntil(
            d, [&] { return !d.m_beatChange.IsWindowVisible(); }, 2s));

        // A click inside it does not close it.
        ClickControl(d, d.m_btnBeatChange);
        ASSERT_TRUE(RunUntil(
            d, [&] { return !d.m_beatChange.IsAnimating(); }, 2s));
        ClickControl(d, d.m_beatChange.GetDlgItem(CBeatChangeCtrl::kNoteUpId));
        EXPECT_TRUE(d.m_beatChange.IsOpen());
        EXPECT_EQ(d.m_engine.GetNote(), 8u);

        // Escape closes it and is swallowed.
        ClickControl(d, d.m_btnBeatChange);
        ASSERT_TRUE(RunUntil(
            d, [&] { return !d.m_beatChange.IsAnimating(); }, 2s));
        KeyTo(d, d.m_btnStart, VK_ESCAPE);
        EXPECT_FALSE(d.m_beatChange.IsOpen());
        ASSERT_TRUE(RunUntil(
            d, [&] { return !d.m_beatChange.IsWindowVisible(); }, 2s));
    }};
    Run();
}

TEST_F(MetronomeDlgTest, BeatChosenWhilePlayingRestartsTheBar) {
    dlg.steps = {[](TestDlg& d) {
        SetTempo(d, 300);
        Command(d, IDC_MAIN_BEAT_CHANGE);
        ASSERT_TRUE(RunUntil(
            d, [&] { return !d.m_beatChange.IsAnimating(); }, 2s));
        // Start from the keyboard: the popup stays open for a click.
        Command(d, IDC_MAIN_START);
        ASSERT_TRUE(RunUntil(
            d, [&] { return d.tickCount.load() >= 2; }, 5s));
        WaitForStep(d, 2);
        const unsigned before = d.tickCount.load();
        ClickControl(d, d.m_beatChange.GetDlgItem(CBeatChangeCtrl::kBeatsDownId));
        EXPECT_EQ(d.m_engine.GetBeats(), 3u);
        EXPECT_TRUE(d.m_beatChange.IsOpen()) << "the popup stays open";
        ASSERT_TRUE(RunUntil(
            d, [&] { return d.tickCount.load() >= before + 7; }, 5s));
        EXPECT_EQ(d.TickSteps(before, 7), (std::vector<unsigned>{0, 1, 2, 0, 1, 2, 0}))
            << "the bar starts again with the accent, three beats long";
        Command(d, IDC_MAIN_STOP);
    }};
    Run();
}

TEST_F(MetronomeDlgTest, DraggingTheThumbChangesOnlyTheDisplayUntilReleased) {
    dlg.steps = {[](TestDlg& d) {
        SetTempo(d, 300);
        StartAndWaitForTicks(d, 2);
        WaitForStep(d, 2);
        unsigned before = d.tickCount.load();
        d.m_sliderTempo.SetPos(30 + 300 - 280);
        d.SendMessage(WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 50),
                      reinterpret_cast<LPARAM>(d.m_sliderTempo.m_hWnd));
        EXPECT_EQ(d.m_tickTock.GetTempo(), 280u);
        ASSERT_TRUE(RunUntil(
            d, [&] { return d.tickCount.load() >= before + 1; }, 2s));
        EXPECT_EQ(d.tickStep[before].load(), 2u) << "no restart while dragging";

        WaitForStep(d, 2);
        before = d.tickCount.load();
        NMHDR released{d.m_sliderTempo.m_hWnd, IDC_MAIN_SLIDER, static_cast<UINT>(NM_RELEASEDCAPTURE)};
        EXPECT_EQ(d.SendMessage(WM_NOTIFY, IDC_MAIN_SLIDER, reinterpret_cast<LPARAM>(&released)), 0);
        ASSERT_TRUE(RunUntil(
            d, [&] { return d.tickCount.load() >= before + 1; }, 2s));
        EXPECT_EQ(d.tickStep[before].load(), 0u) << "released: restarted at the new tempo";
        Command(d, IDC_MAIN_STOP);
    }};
    Run();
}

// The editor is run modally by the window; the timer stands in for the user.
struct EditorWatch {
    static inline TestDlg* s_dlg = nullptr;
    static inline bool s_seen = false;
    static inline bool s_playingInside = true;
    static inline bool s_stopShownInside = true;

    static void CALLBACK Close(HWND, UINT, UINT_PTR id, DWORD) {
        HWND editor = ::FindWindowA(nullptr, "Custom Beat Setting");
        if (!editor)
            return;
        ::KillTimer(nullptr, id);
        s_seen = true;
        s_playingInside = s_dlg->IsPlaying();
        s_stopShownInside = s_dlg->m_btnStop.IsWindowVisible();
        ::PostMessageA(editor, WM_COMMAND, IDCANCEL, 0);
    }
};

TEST_F(MetronomeDlgTest, ModeSwitchWhilePlayingThenEditorStopsAndCloseStoresUserBeatMode) {
    EditorWatch::s_dlg = &dlg;
    dlg.steps = {[](TestDlg& d) {
        SetTempo(d, 300);
        StartAndWaitForTicks(d, 2);
        ClickControl(d, d.m_btnModeSwitch);
        EXPECT_TRUE(d.m_engine.IsUserBeatMode()) << "the mode changes at once";
        EXPECT_EQ(d.m_engine.GetTickNote(), 16u);
        EXPECT_TRUE(d.IsPlaying());
        EXPECT_TRUE(d.m_btnBeatChange.IsWindowEnabled()) << "the buttons change over after the animation";
        ASSERT_TRUE(RunUntil(
            d, [&] { return d.m_btnCustomBeat.IsWindowEnabled(); }, 3s));
        EXPECT_FALSE(d.m_btnBeatChange.IsWindowEnabled());
        EXPECT_EQ(::GetFocus(), d.m_btnCustomBeat.GetSafeHwnd());
        const unsigned before = d.tickCount.load();
        ASSERT_TRUE(RunUntil(
            d, [&] { return d.tickCount.load() >= before + 2; }, 2s));
        EXPECT_TRUE(d.tickUserBeat[before].load()) << "ticks now play the pattern";

        ::SetTimer(nullptr, 0, 50, EditorWatch::Close);
        ClickControl(d, d.m_btnCustomBeat);
        EXPECT_TRUE(EditorWatch::s_seen);
        EXPECT_FALSE(EditorWatch::s_playingInside) << "stopped before the editor opens";
        EXPECT_FALSE(EditorWatch::s_stopShownInside);
        EXPECT_FALSE(d.IsPlaying()) << "and stays stopped";
        EXPECT_TRUE(d.m_btnStart.IsWindowVisible());
        EXPECT_FALSE(d.m_btnStop.IsWindowVisible());
        EXPECT_TRUE(d.m_engine.IsUserBeatMode());
        const unsigned after = d.tickCount.load();
        RunFor(d, 400ms);
        EXPECT_EQ(d.tickCount.load(), after);
    }};
    Run();
    EXPECT_EQ(settings->m_bUserBeatMode, 1);
}

TEST_F(MetronomeDlgTest, StartsInUserBeatModeFromTheSettingAndStoresClickModeOnClose) {
    settings->m_bUserBeatMode = 1;
    dlg.steps = {[](TestDlg& d) {
        EXPECT_TRUE(d.m_engine.IsUserBeatMode());
        EXPECT_EQ(d.m_engine.GetTickNote(), 16u);
        EXPECT_FALSE(d.m_btnBeatChange.IsWindowEnabled());
        EXPECT_TRUE(d.m_btnCustomBeat.IsWindowEnabled());
        EXPECT_EQ(d.m_tickTock.GetDrift(), 0) << "tempo 100 in sixteenths is exact";

        Command(d, IDC_MAIN_MODE_SWITCH);
        EXPECT_FALSE(d.m_engine.IsUserBeatMode());
        ASSERT_TRUE(RunUntil(
            d, [&] { return d.m_btnBeatChange.IsWindowEnabled(); }, 3s));
        EXPECT_FALSE(d.m_btnCustomBeat.IsWindowEnabled());
        EXPECT_EQ(::GetFocus(), d.m_btnBeatChange.GetSafeHwnd());
    }};
    Run();
    EXPECT_EQ(settings->m_bUserBeatMode, 0);
}

// The About dialog run by the window; the timer stands in for the user, who
// presses CLOSE (again and again while the splash refuses) after setting the
// check box.
struct AboutWatch {
    static inline int s_mode = 0;
    static inline int s_showAgain = 1;
    static inline bool s_playingInside = false;
    static inline TestDlg* s_dlg = nullptr;

    static BOOL CALLBACK Find(HWND hwnd, LPARAM found) {
        if (dynamic_cast<CAboutDlg*>(CWnd::FromHandlePermanent(hwnd))) {
            *reinterpret_cast<HWND*>(found) = hwnd;
            return FALSE;
        }
        return TRUE;
    }

    static void CALLBACK Close(HWND, UINT, UINT_PTR, DWORD) {
        HWND about = nullptr;
        ::EnumThreadWindows(::GetCurrentThreadId(), Find, reinterpret_cast<LPARAM>(&about));
        if (!about)
            return;
        s_mode = static_cast<CAboutDlg*>(CWnd::FromHandlePermanent(about))->m_nMode;
        s_playingInside = s_dlg && s_dlg->IsWindow() && s_dlg->IsPlaying();
        ::SendDlgItemMessageA(about, IDC_ABOUT_SHOW_AGAIN, BM_SETCHECK,
                              s_showAgain ? BST_CHECKED : BST_UNCHECKED, 0);
        ::PostMessageA(about, WM_COMMAND, IDOK, 0);
    }
};

// Both links show their whole text at full size in whatever face the system
// draws Arial in, side by side inside the window.
TEST_F(MetronomeDlgTest, LinksTakeTheirWholeText) {
    dlg.steps = {[](TestDlg& d) {
        RECT client;
        d.GetClientRect(&client);
        std::vector<RECT> labels;
        for (int id : {IDC_MAIN_ABOUT, IDC_MAIN_WEBSITE}) {
            HWND label = d.GetDlgItem(id);
            char text[64] = {};
            ::GetWindowTextA(label, text, sizeof text);
            const pwtest::FontSample arial = pwtest::MeasureFont("Arial", 12, {text});
            RECT rc;
            ::GetWindowRect(label, &rc);
            ::MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&rc), 2);
            std::printf("\"%s\" in %s: %ld px in a label %ld px wide\n", text, arial.face.c_str(),
                        arial.widths.at(0), rc.right - rc.left);
            EXPECT_LE(arial.widths.at(0), rc.right - rc.left) << text;
            EXPECT_LE(rc.right, client.right) << text;
            labels.push_back(rc);
        }
        EXPECT_LT(labels[0].right, labels[1].left);
    }};
    Run();
}

TEST_F(MetronomeDlgTest, AboutLinkOpensTheAboutDialogWhileTheMetronomePlays) {
    AboutWatch::s_dlg = &dlg;
    AboutWatch::s_mode = 0;
    CSettings* stored = settings;
    dlg.steps = {[stored](TestDlg& d) {
        // After the start, which would show the splash.
        stored->m_bShowSplash = 1;
        SetTempo(d, 300);
        StartAndWaitForTicks(d, 1);
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, AboutWatch::Close);
        d.SendMessage(WM_PUSHED_HYPERLINKBTN, reinterpret_cast<WPARAM>(d.GetDlgItem(IDC_MAIN_ABOUT)));
        ::KillTimer(nullptr, timer);
        EXPECT_EQ(AboutWatch::s_mode, CAboutDlg::kLinkMode);
        EXPECT_TRUE(AboutWatch::s_playingInside) << "the metronome keeps running";
        EXPECT_TRUE(d.IsPlaying());
        Command(d, IDC_MAIN_STOP);
    }};
    Run();
    EXPECT_EQ(settings->m_bShowSplash, 1) << "the link leaves the splash setting alone";
}

TEST_F(MetronomeDlgTest, SplashShowsAtStartAndStoresItsCheckBox) {
    settings->m_bShowSplash = 1;
    AboutWatch::s_dlg = nullptr;
    AboutWatch::s_mode = 0;
    AboutWatch::s_showAgain = 0;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 200, AboutWatch::Close);
    dlg.steps = {[](TestDlg& d) {
        EXPECT_EQ(AboutWatch::s_mode, CAboutDlg::kStartupMode);
        EXPECT_FALSE(d.IsPlaying());
    }};
    Run();
    ::KillTimer(nullptr, timer);
    AboutWatch::s_showAgain = 1;
    EXPECT_EQ(settings->m_bShowSplash, 0);
}

// The editor's skinned buttons, its spins open, checked from inside its loop.
struct EditorFocusSweep {
    static inline int s_buttons = 0;

    static void CALLBACK Run(HWND, UINT, UINT_PTR id, DWORD) {
        HWND editor = ::FindWindowA(nullptr, "Custom Beat Setting");
        if (!editor)
            return;
        ::KillTimer(nullptr, id);
        for (int button : {1006, 1007})
            ::SendMessageA(editor, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        EXPECT_TRUE(pwtest::PumpUntil(
            [&] {
                HWND capture = ::GetCapture();
                return capture != ::GetDlgItem(editor, 14) && capture != ::GetDlgItem(editor, 15);
            },
            3s));
        s_buttons = skintest::CheckFocusFrames(editor, "focus_editor");
        ::PostMessageA(editor, WM_COMMAND, IDCANCEL, 0);
    }
};

// Every skinned button that can take the focus: the main window's, the beat
// popup's corners, the editor's, its spins' and its toolbar's.
TEST_F(MetronomeDlgTest, FocusRectanglesKeepOffEveryButtonsLabel) {
    EditorFocusSweep::s_buttons = 0;
    dlg.steps = {[](TestDlg& d) {
        Command(d, IDC_MAIN_BEAT_CHANGE);
        ASSERT_TRUE(RunUntil(
            d, [&] { return ::GetCapture() != d.m_beatChange.GetSafeHwnd(); }, 3s));
        EXPECT_EQ(skintest::CheckFocusFrames(d, "focus_main"), 7 + 4);
        RunFor(d, 200ms);
        ::SetTimer(nullptr, 0, 50, EditorFocusSweep::Run);
        Command(d, IDC_MAIN_CUSTOM_BEAT);
        EXPECT_EQ(EditorFocusSweep::s_buttons, 11 + 2 * 2 + 24);
    }};
    Run();
}

TEST_F(MetronomeDlgTest, ClosingWhilePlayingStopsTheTick) {
    dlg.steps = {[](TestDlg& d) {
        SetTempo(d, 300);
        StartAndWaitForTicks(d, 1);
    }};
    Run();
    const unsigned ticks = dlg.tickCount.load();
    ::Sleep(400);
    EXPECT_EQ(dlg.tickCount.load(), ticks);
    EXPECT_FALSE(dlg.IsPlaying());
}

} // namespace
