// The main metronome window run as the program runs it (modally), driven from
// inside its own message loop: the initial state, start with the accent
// first, the tempo buttons, page jumps and keys, the beat popup, the mode
// switch, the editor, Enter and Escape, its links, closing and what it stores.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "FontReplacement.h"
#include "ModalAnswerer.h"
#include "WinTest.h"
#include "app/AboutDlg.h"
#include "app/MetronomeApp.h"
#include "mainwnd/MetronomeDlg.h"
#include "mainwnd/PracticeDlg.h"
#include "resource.h"
#include "skin_support/FocusFrames.h"

// The data store of the application object, handed to each window.
CMetronomeApp theTestApp;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr UINT kNextStep = WM_APP + 0x700;

class TestDlg : public CMetronomeDlg, private ITickObserver {
public:
    using Step = std::function<void(TestDlg&)>;

    using CMetronomeDlg::CMetronomeDlg;

    // The controls, found as the user finds them: in their places in the window.
    CFlashButton& Button(int id) const { return pwtest::Child<CFlashButton>(m_hWnd, id); }
    CTempoSlider& Slider() const { return pwtest::Child<CTempoSlider>(m_hWnd, IDC_MAIN_SLIDER); }
    CTickTockCtrl& TickTock() const { return pwtest::Child<CTickTockCtrl>(m_hWnd, IDC_MAIN_TICKTOCK); }
    CBeatChangeCtrl& Popup() const { return pwtest::Child<CBeatChangeCtrl>(m_hWnd, kBeatChangeId); }

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

    // Before the tick plays, on the render thread.
    void OnTick(std::uint64_t, std::int64_t) override {
        const unsigned i = tickCount.load();
        if (i < kMaxTicks) {
            tickStep[i].store(GetSoundBank().GetStep());
            tickUserBeat[i].store(GetSoundBank().IsUserBeat());
            tickCount.store(i + 1);
        }
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
        SetTickObserver(this);
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

// Dispatching as the dialog's own loop does, through its filter.
using pwtest::PumpFor;
using pwtest::PumpUntil;

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
    PumpFor(dlg, 20ms);
}

// The button's command, as a click or the space bar gives it.
void Command(TestDlg& d, int id) {
    d.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(d.GetDlgItem(id)));
}

void KeyTo(HWND dlg, HWND target, WPARAM key) {
    ::PostMessageA(target, WM_KEYDOWN, key, 1);
    ::PostMessageA(target, WM_KEYUP, key, 0xC0000001);
    PumpFor(dlg, 20ms);
}

void SetTempo(TestDlg& d, int tempo) {
    d.Slider().SetPos(30 + 300 - tempo);
    d.ApplyTempo();
}

void StartAndWaitForTicks(TestDlg& d, unsigned ticks) {
    ClickControl(d, d.Button(IDC_MAIN_START));
    ASSERT_TRUE(d.IsPlaying());
    ASSERT_TRUE(PumpUntil(
        d, [&] { return d.tickCount.load() >= ticks; }, 5s));
}

// Waits until the next tick will play this step of the bar.
void WaitForStep(TestDlg& d, unsigned step) {
    ASSERT_TRUE(PumpUntil(
        d, [&] { return d.GetSoundBank().GetStep() == step; }, 5s));
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
        EXPECT_EQ(d.Slider().GetRangeMin(), 30);
        EXPECT_EQ(d.Slider().GetRangeMax(), 300);
        EXPECT_EQ(d.Slider().GetPos(), 230) << "the position runs against the tempo";
        EXPECT_EQ(d.TickTock().GetTempo(), 100u);
        EXPECT_EQ(d.GetEngine().GetBeats(), 4u);
        EXPECT_EQ(d.GetEngine().GetNote(), 4u);
        EXPECT_FALSE(d.GetEngine().IsUserBeatMode());
        EXPECT_EQ(d.Popup().GetBeats(), 4u);
        EXPECT_EQ(d.Popup().GetNote(), 4u);
        EXPECT_FALSE(d.Popup().IsWindowVisible());
        EXPECT_FALSE(d.IsPlaying());
        EXPECT_TRUE(d.Button(IDC_MAIN_START).IsWindowVisible());
        EXPECT_FALSE(d.Button(IDC_MAIN_STOP).IsWindowVisible());
        EXPECT_TRUE(d.Button(IDC_MAIN_BEAT_CHANGE).IsWindowEnabled());
        EXPECT_FALSE(d.Button(IDC_MAIN_CUSTOM_BEAT).IsWindowEnabled());
        EXPECT_EQ(d.SendMessage(UWM_ARE_YOU_ME), static_cast<LRESULT>(UWM_ARE_YOU_ME));
        EXPECT_TRUE(d.SendMessage(WM_GETICON, ICON_BIG));
        PumpFor(d, 300ms);
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
        EXPECT_FALSE(d.Button(IDC_MAIN_START).IsWindowVisible());
        EXPECT_TRUE(d.Button(IDC_MAIN_STOP).IsWindowVisible());
        EXPECT_EQ(::GetFocus(), d.Button(IDC_MAIN_STOP).GetSafeHwnd());
        EXPECT_GT(d.TickTock().GetFrameCount(), 0u) << "the needle swings";

        ClickControl(d, d.Button(IDC_MAIN_STOP));
        EXPECT_FALSE(d.IsPlaying());
        EXPECT_TRUE(d.Button(IDC_MAIN_START).IsWindowVisible());
        EXPECT_FALSE(d.Button(IDC_MAIN_STOP).IsWindowVisible());
        EXPECT_EQ(::GetFocus(), d.Button(IDC_MAIN_START).GetSafeHwnd());
        const unsigned ticks = d.tickCount.load();
        PumpFor(d, 500ms);
        EXPECT_EQ(d.tickCount.load(), ticks);
        EXPECT_FALSE(d.TickTock().IsSwinging());

        // A fresh start begins with the accent again.
        StartAndWaitForTicks(d, ticks + 2);
        EXPECT_EQ(d.TickSteps(ticks, 2), (std::vector<unsigned>{0, 1}));
        ClickControl(d, d.Button(IDC_MAIN_STOP));
    }};
    Run();
}

TEST_F(MetronomeDlgTest, TempoStepsStopAt300And30) {
    dlg.steps = {[](TestDlg& d) {
        Command(d, IDC_MAIN_TEMPO_UP);
        EXPECT_EQ(d.GetTempo(), 101);
        EXPECT_EQ(d.TickTock().GetTempo(), 101u);
        Command(d, IDC_MAIN_TEMPO_DOWN);
        Command(d, IDC_MAIN_TEMPO_DOWN);
        EXPECT_EQ(d.GetTempo(), 99);

        SetTempo(d, 300);
        Command(d, IDC_MAIN_TEMPO_UP);
        EXPECT_EQ(d.GetTempo(), 300);
        EXPECT_EQ(d.Slider().GetPos(), 30);
        SetTempo(d, 30);
        Command(d, IDC_MAIN_TEMPO_DOWN);
        EXPECT_EQ(d.GetTempo(), 30);
        EXPECT_EQ(d.Slider().GetPos(), 300);
        EXPECT_EQ(d.TickTock().GetTempo(), 30u);
    }};
    Run();
}

TEST_F(MetronomeDlgTest, PageJumpsFindAccurateTempos) {
    dlg.steps = {[](TestDlg& d) {
        d.Button(IDC_MAIN_START).SetFocus();
        d.SendMessage(WM_SLIDER_PUSH_PGUP);
        EXPECT_EQ(d.GetTempo(), 101);
        EXPECT_EQ(d.TickTock().GetTempo(), 101u) << "applied at once without the slider's focus";
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
        EXPECT_EQ(d.TickTock().GetTempo(), 30u);

        // From the keyboard: the key goes to the slider, which asks for the
        // jump; with the slider focused the release applies it.
        SetTempo(d, 100);
        d.Slider().SetFocus();
        ::PostMessageA(d.Slider(), WM_KEYDOWN, VK_PRIOR, 1);
        PumpFor(d, 20ms);
        EXPECT_EQ(d.GetTempo(), 101);
        EXPECT_EQ(d.TickTock().GetTempo(), 100u) << "not yet: the key is still down";
        ::PostMessageA(d.Slider(), WM_KEYUP, VK_PRIOR, 0xC0000001);
        PumpFor(d, 20ms);
        EXPECT_EQ(d.TickTock().GetTempo(), 101u);
    }};
    Run();
}

TEST_F(MetronomeDlgTest, ArrowKeysMoveTheTempoFromAnyButton) {
    dlg.steps = {[](TestDlg& d) {
        d.Button(IDC_MAIN_START).SetFocus();
        KeyTo(d, d.Button(IDC_MAIN_START), VK_UP);
        EXPECT_EQ(d.GetTempo(), 101);
        EXPECT_EQ(d.TickTock().GetTempo(), 101u);
        EXPECT_EQ(::GetFocus(), d.Button(IDC_MAIN_START).GetSafeHwnd()) << "the key does not move the focus";

        d.Button(IDC_MAIN_TEMPO_UP).SetFocus();
        KeyTo(d, d.Button(IDC_MAIN_TEMPO_UP), VK_DOWN);
        EXPECT_EQ(d.GetTempo(), 100);
        d.Button(IDC_MAIN_MODE_SWITCH).SetFocus();
        KeyTo(d, d.Button(IDC_MAIN_MODE_SWITCH), VK_RIGHT);
        EXPECT_EQ(d.GetTempo(), 99);
        KeyTo(d, d.Button(IDC_MAIN_MODE_SWITCH), VK_LEFT);
        EXPECT_EQ(d.GetTempo(), 100);
        KeyTo(d, d.Button(IDC_MAIN_MODE_SWITCH), VK_HOME);
        EXPECT_EQ(d.GetTempo(), 300);
        KeyTo(d, d.Button(IDC_MAIN_MODE_SWITCH), VK_END);
        EXPECT_EQ(d.GetTempo(), 30);
        EXPECT_EQ(d.TickTock().GetTempo(), 30u);
        EXPECT_EQ(::GetFocus(), d.Button(IDC_MAIN_MODE_SWITCH).GetSafeHwnd());
    }};
    Run();
}

TEST_F(MetronomeDlgTest, EscapeAndEnterDoNotCloseTheWindow) {
    dlg.steps = {
        [](TestDlg& d) {
            d.Slider().SetFocus();
            ::PostMessageA(d.Slider(), WM_KEYDOWN, VK_ESCAPE, 1);
            ::PostMessageA(d.Slider(), WM_KEYDOWN, VK_RETURN, 1);
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
        d.Button(IDC_MAIN_BEAT_CHANGE).GetWindowRect(&button);
        ClickControl(d, d.Button(IDC_MAIN_BEAT_CHANGE));
        EXPECT_TRUE(d.Popup().IsOpen());
        EXPECT_FALSE(d.Button(IDC_MAIN_BEAT_CHANGE).IsWindowVisible());
        ASSERT_TRUE(PumpUntil(
            d, [&] { return !d.Popup().IsAnimating(); }, 2s));
        RECT popup;
        d.Popup().GetWindowRect(&popup);
        EXPECT_LE(std::abs((popup.left + popup.right) / 2 - (button.left + button.right) / 2), 1);
        EXPECT_LE(std::abs((popup.top + popup.bottom) / 2 - (button.top + button.bottom) / 2), 1);

        // A key closes it.
        KeyTo(d, d.Button(IDC_MAIN_START), 'A');
        EXPECT_FALSE(d.Popup().IsOpen());
        EXPECT_TRUE(d.Button(IDC_MAIN_BEAT_CHANGE).IsWindowVisible());
        ASSERT_TRUE(PumpUntil(
            d, [&] { return !d.Popup().IsWindowVisible(); }, 2s));

        // So does a tempo key, through the slider's scrolling.
        ClickControl(d, d.Button(IDC_MAIN_BEAT_CHANGE));
        ASSERT_TRUE(PumpUntil(
            d, [&] { return !d.Popup().IsAnimating(); }, 2s));
        KeyTo(d, d.Button(IDC_MAIN_START), VK_UP);
        EXPECT_EQ(d.GetTempo(), 101);
        EXPECT_FALSE(d.Popup().IsOpen());
        ASSERT_TRUE(PumpUntil(
            d, [&] { return !d.Popup().IsWindowVisible(); }, 2s));

        // And a click outside it, which goes on to where it was made.
        ClickControl(d, d.Button(IDC_MAIN_BEAT_CHANGE));
        ASSERT_TRUE(PumpUntil(
            d, [&] { return !d.Popup().IsAnimating(); }, 2s));
        ClickControl(d, d.Button(IDC_MAIN_TEMPO_UP));
        EXPECT_FALSE(d.Popup().IsOpen());
        EXPECT_TRUE(d.Button(IDC_MAIN_BEAT_CHANGE).IsWindowVisible());
        EXPECT_EQ(d.GetTempo(), 102);
        ASSERT_TRUE(PumpUntil(
            d, [&] { return !d.Popup().IsWindowVisible(); }, 2s));

        // A click inside it does not close it.
        ClickControl(d, d.Button(IDC_MAIN_BEAT_CHANGE));
        ASSERT_TRUE(PumpUntil(
            d, [&] { return !d.Popup().IsAnimating(); }, 2s));
        ClickControl(d, d.Popup().GetDlgItem(CBeatChangeCtrl::kNoteUpId));
        EXPECT_TRUE(d.Popup().IsOpen());
        EXPECT_EQ(d.GetEngine().GetNote(), 8u);

        // Escape closes it and is swallowed.
        ClickControl(d, d.Button(IDC_MAIN_BEAT_CHANGE));
        ASSERT_TRUE(PumpUntil(
            d, [&] { return !d.Popup().IsAnimating(); }, 2s));
        KeyTo(d, d.Button(IDC_MAIN_START), VK_ESCAPE);
        EXPECT_FALSE(d.Popup().IsOpen());
        ASSERT_TRUE(PumpUntil(
            d, [&] { return !d.Popup().IsWindowVisible(); }, 2s));
    }};
    Run();
}

TEST_F(MetronomeDlgTest, BeatChosenWhilePlayingRestartsTheBar) {
    dlg.steps = {[](TestDlg& d) {
        SetTempo(d, 300);
        Command(d, IDC_MAIN_BEAT_CHANGE);
        ASSERT_TRUE(PumpUntil(
            d, [&] { return !d.Popup().IsAnimating(); }, 2s));
        // Start from the keyboard: the popup stays open for a click.
        Command(d, IDC_MAIN_START);
        ASSERT_TRUE(PumpUntil(
            d, [&] { return d.tickCount.load() >= 2; }, 5s));
        WaitForStep(d, 2);
        const unsigned before = d.tickCount.load();
        ClickControl(d, d.Popup().GetDlgItem(CBeatChangeCtrl::kBeatsDownId));
        EXPECT_EQ(d.GetEngine().GetBeats(), 3u);
        EXPECT_TRUE(d.Popup().IsOpen()) << "the popup stays open";
        ASSERT_TRUE(PumpUntil(
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
        d.Slider().SetPos(30 + 300 - 280);
        d.SendMessage(WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 50), reinterpret_cast<LPARAM>(d.Slider().m_hWnd));
        EXPECT_EQ(d.TickTock().GetTempo(), 280u);
        ASSERT_TRUE(PumpUntil(
            d, [&] { return d.tickCount.load() >= before + 1; }, 2s));
        EXPECT_EQ(d.tickStep[before].load(), 2u) << "no restart while dragging";

        WaitForStep(d, 2);
        before = d.tickCount.load();
        NMHDR released{d.Slider().m_hWnd, IDC_MAIN_SLIDER, static_cast<UINT>(NM_RELEASEDCAPTURE)};
        EXPECT_EQ(d.SendMessage(WM_NOTIFY, IDC_MAIN_SLIDER, reinterpret_cast<LPARAM>(&released)), 0);
        ASSERT_TRUE(PumpUntil(
            d, [&] { return d.tickCount.load() >= before + 1; }, 2s));
        EXPECT_EQ(d.tickStep[before].load(), 0u) << "released: restarted at the new tempo";
        Command(d, IDC_MAIN_STOP);
    }};
    Run();
}

bool IsEditor(HWND hwnd) {
    return pwtest::WindowText(hwnd) == "Custom Beat Setting";
}

TEST_F(MetronomeDlgTest, ModeSwitchWhilePlayingThenEditorStopsAndCloseStoresUserBeatMode) {
    dlg.steps = {[](TestDlg& d) {
        SetTempo(d, 300);
        StartAndWaitForTicks(d, 2);
        ClickControl(d, d.Button(IDC_MAIN_MODE_SWITCH));
        EXPECT_TRUE(d.GetEngine().IsUserBeatMode()) << "the mode changes at once";
        EXPECT_EQ(d.GetEngine().GetTickNote(), 16u);
        EXPECT_TRUE(d.IsPlaying());
        EXPECT_TRUE(d.Button(IDC_MAIN_BEAT_CHANGE).IsWindowEnabled())
            << "the buttons change over after the animation";
        ASSERT_TRUE(PumpUntil(
            d, [&] { return d.Button(IDC_MAIN_CUSTOM_BEAT).IsWindowEnabled(); }, 3s));
        EXPECT_FALSE(d.Button(IDC_MAIN_BEAT_CHANGE).IsWindowEnabled());
        EXPECT_EQ(::GetFocus(), d.Button(IDC_MAIN_CUSTOM_BEAT).GetSafeHwnd());
        const unsigned before = d.tickCount.load();
        ASSERT_TRUE(PumpUntil(
            d, [&] { return d.tickCount.load() >= before + 2; }, 2s));
        EXPECT_TRUE(d.tickUserBeat[before].load()) << "ticks now play the pattern";

        // The editor is run modally by the window; the answerer stands in
        // for the user.
        bool seen = false;
        bool playingInside = true;
        bool stopShownInside = true;
        pwtest::ModalAnswerer user([&](HWND editor) {
            if (IsEditor(editor)) {
                seen = true;
                playingInside = d.IsPlaying();
                stopShownInside = d.Button(IDC_MAIN_STOP).IsWindowVisible();
                ::PostMessageA(editor, WM_COMMAND, IDCANCEL, 0);
            }
            return true;
        });
        ClickControl(d, d.Button(IDC_MAIN_CUSTOM_BEAT));
        EXPECT_TRUE(seen);
        EXPECT_FALSE(playingInside) << "stopped before the editor opens";
        EXPECT_FALSE(stopShownInside);
        EXPECT_FALSE(d.IsPlaying()) << "and stays stopped";
        EXPECT_TRUE(d.Button(IDC_MAIN_START).IsWindowVisible());
        EXPECT_FALSE(d.Button(IDC_MAIN_STOP).IsWindowVisible());
        EXPECT_TRUE(d.GetEngine().IsUserBeatMode());
        const unsigned after = d.tickCount.load();
        PumpFor(d, 400ms);
        EXPECT_EQ(d.tickCount.load(), after);
    }};
    Run();
    EXPECT_EQ(settings->m_bUserBeatMode, 1);
}

TEST_F(MetronomeDlgTest, StartsInUserBeatModeFromTheSettingAndStoresClickModeOnClose) {
    settings->m_bUserBeatMode = 1;
    dlg.steps = {[](TestDlg& d) {
        EXPECT_TRUE(d.GetEngine().IsUserBeatMode());
        EXPECT_EQ(d.GetEngine().GetTickNote(), 16u);
        EXPECT_FALSE(d.Button(IDC_MAIN_BEAT_CHANGE).IsWindowEnabled());
        EXPECT_TRUE(d.Button(IDC_MAIN_CUSTOM_BEAT).IsWindowEnabled());
        EXPECT_EQ(d.TickTock().GetDrift(), 0) << "tempo 100 in sixteenths is exact";

        Command(d, IDC_MAIN_MODE_SWITCH);
        EXPECT_FALSE(d.GetEngine().IsUserBeatMode());
        ASSERT_TRUE(PumpUntil(
            d, [&] { return d.Button(IDC_MAIN_BEAT_CHANGE).IsWindowEnabled(); }, 3s));
        EXPECT_FALSE(d.Button(IDC_MAIN_CUSTOM_BEAT).IsWindowEnabled());
        EXPECT_EQ(::GetFocus(), d.Button(IDC_MAIN_BEAT_CHANGE).GetSafeHwnd());
    }};
    Run();
    EXPECT_EQ(settings->m_bUserBeatMode, 0);
}

// What the user saw of the About dialog the window ran.
struct AboutSeen {
    int mode = 0;
    bool playingInside = false;
};

// Stands in for the user of the About dialog, who sets its check box and
// presses CLOSE, again and again while the splash refuses.
pwtest::ModalAnswerer AboutUser(AboutSeen& seen, bool showAgain, const TestDlg* dlg, UINT period) {
    return pwtest::ModalAnswerer(
        [&seen, showAgain, dlg](HWND hwnd) {
            auto* about = dynamic_cast<CAboutDlg*>(CWnd::FromHandlePermanent(hwnd));
            if (!about)
                return true;
            seen.mode = about->m_nMode;
            seen.playingInside = dlg && dlg->IsWindow() && dlg->IsPlaying();
            ::SendDlgItemMessageA(hwnd, IDC_ABOUT_SHOW_AGAIN, BM_SETCHECK,
                                  showAgain ? BST_CHECKED : BST_UNCHECKED, 0);
            ::PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
            return false;
        },
        period);
}

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
    CSettings* stored = settings;
    dlg.steps = {[stored](TestDlg& d) {
        // After the start, which would show the splash.
        stored->m_bShowSplash = 1;
        SetTempo(d, 300);
        StartAndWaitForTicks(d, 1);
        AboutSeen seen;
        {
            const pwtest::ModalAnswerer user = AboutUser(seen, true, &d, 50);
            d.SendMessage(WM_PUSHED_HYPERLINKBTN, reinterpret_cast<WPARAM>(d.GetDlgItem(IDC_MAIN_ABOUT)));
        }
        EXPECT_EQ(seen.mode, CAboutDlg::kLinkMode);
        EXPECT_TRUE(seen.playingInside) << "the metronome keeps running";
        EXPECT_TRUE(d.IsPlaying());
        Command(d, IDC_MAIN_STOP);
    }};
    Run();
    EXPECT_EQ(settings->m_bShowSplash, 1) << "the link leaves the splash setting alone";
}

TEST_F(MetronomeDlgTest, SplashShowsAtStartAndStoresItsCheckBox) {
    settings->m_bShowSplash = 1;
    AboutSeen seen;
    const pwtest::ModalAnswerer user = AboutUser(seen, false, nullptr, 200);
    dlg.steps = {[&seen](TestDlg& d) {
        EXPECT_EQ(seen.mode, CAboutDlg::kStartupMode);
        EXPECT_FALSE(d.IsPlaying());
    }};
    Run();
    EXPECT_EQ(settings->m_bShowSplash, 0);
}

// Every skinned button that can take the focus: the main window's, the beat
// popup's corners, the editor's, its spins' and its toolbar's.
TEST_F(MetronomeDlgTest, FocusRectanglesKeepOffEveryButtonsLabel) {
    dlg.steps = {[](TestDlg& d) {
        Command(d, IDC_MAIN_BEAT_CHANGE);
        ASSERT_TRUE(PumpUntil(
            d, [&] { return ::GetCapture() != d.Popup().GetSafeHwnd(); }, 3s));
        EXPECT_EQ(skintest::CheckFocusFrames(d, "focus_main"), 7 + 4);
        PumpFor(d, 200ms);
        // The editor's, its spins open, checked from inside its loop.
        int editorButtons = 0;
        pwtest::ModalAnswerer sweep([&](HWND editor) {
            if (!IsEditor(editor))
                return true;
            for (int button : {IDC_CB_STEPS, IDC_CB_STEPS_PER_BEAT})
                ::SendMessageA(editor, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
            EXPECT_TRUE(pwtest::PumpUntil(
                [&] {
                    HWND capture = ::GetCapture();
                    return capture != ::GetDlgItem(editor, 14) && capture != ::GetDlgItem(editor, 15);
                },
                3s));
            editorButtons = skintest::CheckFocusFrames(editor, "focus_editor");
            ::PostMessageA(editor, WM_COMMAND, IDCANCEL, 0);
            return true;
        });
        Command(d, IDC_MAIN_CUSTOM_BEAT);
        EXPECT_EQ(editorButtons, 11 + 2 * 2 + 24);
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

// A left click at a point of the tick display, which lets it through to the
// window as the system does.
void ClickDisplayAt(TestDlg& d, POINT at) {
    ::ClientToScreen(d.TickTock().GetSafeHwnd(), &at);
    ::SetCursorPos(at.x, at.y);
    POINT client = at;
    d.ScreenToClient(&client);
    d.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, Point(client.x, client.y));
    d.PostMessage(WM_LBUTTONUP, 0, Point(client.x, client.y));
    PumpFor(d, 20ms);
}

// The taps' own times make the tempo: three taps, two intervals.
int TappedTempo(const std::vector<DWORD>& times) {
    return static_cast<int>(
        std::lround(60000.0 / ((times.back() - times.front()) / double(times.size() - 1))));
}

TEST_F(MetronomeDlgTest, TOrTheTempoFigureTapsAndPOpensThePracticeWindow) {
    const int savedStep = settings->m_nTrainerStepBpm;
    CSettings* stored = settings;
    dlg.steps = {[stored](TestDlg& d) {
        std::vector<DWORD> times;
        for (int i = 0; i < 3; ++i) {
            PumpFor(d, 400ms);
            times.push_back(::GetTickCount());
            KeyTo(d, d.Button(IDC_MAIN_START), 'T');
        }
        EXPECT_NEAR(d.GetTempo(), TappedTempo(times), 1);
        EXPECT_EQ(d.TickTock().GetTempo(), static_cast<unsigned>(d.GetTempo()));

        // After a pause, a new series on the figure.
        PumpFor(d, 2100ms);
        times.clear();
        const RECT figure = d.TickTock().GetTempoBox();
        ASSERT_FALSE(::IsRectEmpty(&figure));
        for (int i = 0; i < 3; ++i) {
            PumpFor(d, 250ms);
            times.push_back(::GetTickCount());
            ClickDisplayAt(d, POINT{(figure.left + figure.right) / 2, (figure.top + figure.bottom) / 2});
        }
        EXPECT_NEAR(d.GetTempo(), TappedTempo(times), 1);
        const int tapped = d.GetTempo();

        bool seen = false;
        pwtest::ModalAnswerer user([&](HWND practice) {
            if (!::GetDlgItem(practice, IDC_PRACTICE_TRAINER_STEP))
                return true;
            seen = true;
            HWND spin = ::GetDlgItem(practice, CPracticeDlg::kFirstSpinId + 4);
            EXPECT_TRUE(::IsWindowVisible(spin)) << "the spins stay open";
            HRGN region = ::CreateRectRgn(0, 0, 0, 0);
            EXPECT_EQ(::GetWindowRgn(practice, region), COMPLEXREGION) << "shaped";
            ::DeleteObject(region);
            ::SendMessageA(spin, WM_COMMAND, MAKEWPARAM(CValueSpin::kUpId, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(spin, CValueSpin::kUpId)));
            EXPECT_EQ(stored->m_nTrainerStepBpm, 1) << "stored at once";
            ::PostMessageA(practice, WM_COMMAND, IDOK, 0);
            return true;
        });
        KeyTo(d, d.Button(IDC_MAIN_START), 'P');
        EXPECT_TRUE(seen);
        EXPECT_EQ(d.TickTock().GetPracticeTexts().row, "trainer " + std::to_string(tapped) + " -> 160");
        // Where the display put it: clear of the needle, the tempo and the
        // signature as drawn.
        PumpFor(d, 100ms);
        RECT client;
        d.TickTock().GetClientRect(&client);
        const practiceview::Layout& layout = d.TickTock().GetPracticeLayout();
        const RECT row{layout.row.left, layout.row.top, layout.row.right, layout.row.bottom};
        RECT overlap;
        EXPECT_GT(row.right - row.left, client.right / 3);
        EXPECT_TRUE(
            practiceview::ClearOfSweep(layout.row, practiceview::NeedleSweep(client.right, client.bottom)));
        for (const RECT& taken : {d.TickTock().GetTempoBox(), d.TickTock().GetSignatureBox()})
            EXPECT_FALSE(::IntersectRect(&overlap, &row, &taken));
    }};
    Run();
    settings->m_nTrainerStepBpm = savedStep;
}

TEST_F(MetronomeDlgTest, TheTrainerMovesTheFigureAndTheSliderAndStopGoesBack) {
    const int saved[] = {settings->m_nTrainerStepBpm, settings->m_nTrainerEveryBars,
                         settings->m_nTrainerTargetBpm};
    settings->m_nTrainerStepBpm = 10;
    settings->m_nTrainerEveryBars = 1;
    settings->m_nTrainerTargetBpm = 300;
    dlg.steps = {[](TestDlg& d) {
        SetTempo(d, 280);
        StartAndWaitForTicks(d, 1);
        for (int tempo : {290, 300}) {
            ASSERT_TRUE(PumpUntil(
                d, [&] { return d.GetTempo() == tempo; }, 5s));
            EXPECT_EQ(d.TickTock().GetTempo(), static_cast<unsigned>(tempo));
            EXPECT_EQ(d.TickTock().GetPracticeTexts().row.rfind(
                          "trainer " + std::to_string(tempo) + " -> 300  bar ", 0),
                      0u)
                << d.TickTock().GetPracticeTexts().row;
        }
        ClickControl(d, d.Button(IDC_MAIN_STOP));
        EXPECT_EQ(d.GetTempo(), 280);
        EXPECT_EQ(d.TickTock().GetTempo(), 280u);
    }};
    Run();
    settings->m_nTrainerStepBpm = saved[0];
    settings->m_nTrainerEveryBars = saved[1];
    settings->m_nTrainerTargetBpm = saved[2];
}

} // namespace
