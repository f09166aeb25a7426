// The tick display on a real window: the tempo figure's colour and the drift
// for several tempos and beats, the time signature box, the dial, the swing
// frame by frame, its direction, the needle gone after a stop, and no thread
// started by its frames.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "ThreadCount.h"
#include "WinTest.h"
#include "mainwnd/TickTockCtrl.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The main window's display: 111 x 72 dialog units.
constexpr int kWidth = 222;
constexpr int kHeight = 144;

// What the control shows on the screen now, without repainting it: the
// needle is drawn outside the paint cycle.
pwtest::Snapshot OnScreen(HWND hwnd) {
    return pwtest::Snapshot(hwnd, pwtest::Snapshot::Source::AsShown);
}

template <class Match> int CountIf(const pwtest::Canvas& shot, const RECT& rc, Match match) {
    int count = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x)
            count += match(shot.Pixel(x, y)) ? 1 : 0;
    return count;
}

int Count(const pwtest::Canvas& shot, const RECT& rc, COLORREF colour) {
    return CountIf(shot, rc, [&](COLORREF pixel) { return pixel == colour; });
}

class TickTockCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::SetCursorPos(0, 0);
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "ticktock", WS_POPUP | WS_VISIBLE, RECT{50, 50, 350, 250},
                                    nullptr, 0));
        HWND stat = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_WHITERECT, 10, 10, kWidth,
                                      kHeight, parent, reinterpret_cast<HMENU>(1004), nullptr, nullptr);
        ASSERT_TRUE(stat);
        ASSERT_TRUE(display.SubclassWindow(stat));
        pwtest::PumpMessages();
    }

    void Show(unsigned tempo, unsigned beats, unsigned note) {
        display.SetTickBeat(beats, note);
        display.SetTempo(tempo);
        ::UpdateWindow(display);
    }

    // Lets the swing the display was just asked for begin, and nothing else.
    void BeginAskedSwing() {
        MSG msg;
        ASSERT_TRUE(
            ::PeekMessageA(&msg, display, WM_TICKTOCK_START_SWING, WM_TICKTOCK_START_SWING, PM_REMOVE));
        ::DispatchMessageA(&msg);
    }

    // Runs one whole swing; returns the frame that ended it and prints its
    // length and the needles drawn.
    unsigned WholeSwing(const char* name) {
        const unsigned before = display.GetFrameCount();
        display.StartSwing(Clock::now());
        BeginAskedSwing();
        const auto start = Clock::now();
        EXPECT_TRUE(display.IsSwinging());
        EXPECT_TRUE(pwtest::PumpUntil([&] { return !display.IsSwinging(); }, 5s));
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        std::printf("[ figures  ] %s: %u frames of %u ms in %lld ms, %u drawn\n", name, display.GetFrame(),
                    display.GetFramePeriod(), static_cast<long long>(ms), display.GetFrameCount() - before);
        return display.GetFrame();
    }

    CWnd parent;
    CTickTockCtrl display;
};

TEST_F(TickTockCtrlTest, ExactTempoShowsBlackAndNoDrift) {
    Show(100, 4, 4);
    EXPECT_EQ(display.GetDrift(), 0);
    EXPECT_EQ(display.GetTempoColour(), RGB(0, 0, 0));
    EXPECT_EQ(display.GetDriftText(), "0.00s / h");
    pwtest::Snapshot shot(display);
    // The figure in the top right corner (inside the black border).
    EXPECT_GT(Count(shot, RECT{kWidth / 2, 1, kWidth - 1, kHeight / 3}, RGB(0, 0, 0)), 20);
    // The drift text at the top middle, in grey (RGB 50, 50, 50 smoothed).
    const RECT drift{80, 11, 140, 20};
    const COLORREF face = RGB(255, 255, 245);
    EXPECT_GT(CountIf(shot, drift, [&](COLORREF c) { return c != face; }), 10);
    EXPECT_EQ(CountIf(shot, drift, [](COLORREF c) { return GetRValue(c) < 50; }), 0);
}

TEST_F(TickTockCtrlTest, DriftTintsTheTempoFigure) {
    struct Case {
        unsigned tempo, beats, note;
        int drift;
        int grey;
        const char* text;
    };
    const Case cases[] = {
        {70, 4, 4, -600, 30, "-0.60s / h"},
        {112, 8, 8, 1920, 96, "+1.92s / h"},
        // User beat mode: sixteenths with the pattern's 4 steps per beat.
        {80, 4, 16, -9600, 200, "-9.60s / h"},
    };
    for (const Case& c : cases) {
        Show(c.tempo, c.beats, c.note);
        EXPECT_EQ(display.GetDrift(), c.drift) << c.tempo;
        EXPECT_EQ(display.GetTempoColour(), RGB(c.grey, c.grey, c.grey)) << c.tempo;
        EXPECT_EQ(display.GetDriftText(), c.text);
        pwtest::Snapshot shot(display);
        const RECT figure{kWidth / 2, 1, kWidth - 1, kHeight / 3};
        EXPECT_GT(Count(shot, figure, RGB(c.grey, c.grey, c.grey)), 20) << c.tempo;
        EXPECT_EQ(Count(shot, figure, RGB(0, 0, 0)), 0) << c.tempo;
    }
}

TEST_F(TickTockCtrlTest, SignatureBoxWidensForTwoDigits) {
    // Font height 222 / 10 = 22; inset (222 - 2 * 11) / 24 = 8.
    struct Case {
        unsigned beats, note;
        int width;
    };
    const Case cases[] = {{4, 4, 30}, {12, 8, 37}, {3, 16, 37}, {12, 16, 48}};
    for (const Case& c : cases) {
        Show(100, c.beats, c.note);
        pwtest::Snapshot shot(display);
        RECT box = display.GetSignatureBox();
        EXPECT_EQ(box.left, 8);
        EXPECT_EQ(box.top, 8);
        EXPECT_EQ(box.bottom - box.top, 33);
        EXPECT_EQ(box.right - box.left, c.width) << c.beats << "/" << c.note;
        EXPECT_GT(Count(shot, box, RGB(0, 0, 0)), 20) << "figures and slash drawn in the box";
    }
}

TEST_F(TickTockCtrlTest, DialIsAGreyHalfCircleOnTheCreamFace) {
    Show(100, 4, 4);
    pwtest::Snapshot shot(display);
    EXPECT_EQ(shot.Pixel(0, 0), RGB(0, 0, 0)) << "one-pixel black border";
    EXPECT_EQ(shot.Pixel(kWidth - 1, kHeight - 1), RGB(0, 0, 0));
    EXPECT_EQ(shot.Pixel(kWidth / 2, kHeight - 30), RGB(255, 255, 245));
    // Pivot (111, 136), radius min(111, 136) - 5 = 106: the top of the arc
    // and the base line.
    EXPECT_EQ(shot.Pixel(111, 136 - 106), RGB(192, 192, 192));
    EXPECT_EQ(shot.Pixel(111 + 50, 136), RGB(192, 192, 192));
    EXPECT_EQ(shot.Pixel(111 - 50, 136), RGB(192, 192, 192));
}

TEST_F(TickTockCtrlTest, SwingFramesFollowTheTempo) {
    Show(100, 4, 4);
    // 30 frames reach the end exactly; the 31st stops the timer.
    EXPECT_EQ(WholeSwing("tempo 100"), 31u);
    EXPECT_EQ(display.GetFrames(), 30u);
    EXPECT_EQ(display.GetFramePeriod(), 20u);
    EXPECT_EQ(display.GetAngle(), 0.0);

    Show(70, 4, 4);
    EXPECT_EQ(WholeSwing("tempo 70"), 28u);
    EXPECT_EQ(display.GetFrames(), 30u);
    EXPECT_EQ(display.GetFramePeriod(), 28u);
    EXPECT_NEAR(display.GetFrac(), 0.5714, 1e-4);
    EXPECT_EQ(display.GetAngle(), 180.0) << "the second swing goes back up";

    Show(240, 4, 4);
    EXPECT_EQ(WholeSwing("tempo 240"), 12u);
    EXPECT_EQ(display.GetFrames(), 12u);
    EXPECT_EQ(display.GetFramePeriod(), 20u);
    EXPECT_NEAR(display.GetFrac(), 0.8333, 1e-4);
}

TEST_F(TickTockCtrlTest, SwingCutShortSwingsBackFromTheEndOnItsSide) {
    Show(30, 4, 4);
    display.StartSwing(Clock::now());
    BeginAskedSwing();
    EXPECT_EQ(display.GetAngle(), 180.0);
    EXPECT_FALSE(display.IsSwingingUp());
    ASSERT_TRUE(pwtest::PumpUntil([&] { return display.GetAngle() < 150.0; }, 3s));
    ASSERT_GT(display.GetAngle(), 90.0);

    display.StartSwing(Clock::now());
    BeginAskedSwing();
    EXPECT_EQ(display.GetAngle(), 180.0) << "from the left end again";
    EXPECT_FALSE(display.IsSwingingUp());
    ASSERT_TRUE(pwtest::PumpUntil([&] { return display.GetAngle() < 60.0; }, 3s));

    display.StartSwing(Clock::now());
    BeginAskedSwing();
    EXPECT_EQ(display.GetAngle(), 0.0) << "past the middle: from the right end";
    EXPECT_TRUE(display.IsSwingingUp());
    ASSERT_TRUE(pwtest::PumpUntil([&] { return display.GetAngle() > 10.0; }, 3s));
    display.StopSwing();
}

TEST_F(TickTockCtrlTest, StopMidSwingRepaintsWithoutTheNeedle) {
    Show(30, 4, 4);
    display.StartSwing(Clock::now());
    ASSERT_TRUE(pwtest::PumpUntil([&] { return display.GetAngle() < 120.0; }, 3s));
    RECT all{0, 0, kWidth, kHeight};
    const pwtest::Snapshot screenMid = OnScreen(display);
    EXPECT_GT(Count(screenMid, all, display.m_crNeedle), 20) << "the needle shows while it swings";
    EXPECT_GT(Count(screenMid, all, display.m_crHalo), 20);
    display.StopSwing();
    EXPECT_FALSE(display.IsSwinging());
    const unsigned frames = display.GetFrameCount();
    pwtest::PumpFor(200ms);
    EXPECT_EQ(display.GetFrameCount(), frames) << "no frame after the stop";
    const pwtest::Snapshot screen = OnScreen(display);
    EXPECT_EQ(Count(screen, all, display.m_crNeedle), 0);
    EXPECT_EQ(Count(screen, all, display.m_crHalo), 0);
    EXPECT_EQ(screen.Pixel(111, 136 - 106), RGB(192, 192, 192)) << "the dial is repainted";
}

TEST_F(TickTockCtrlTest, SwingStartShowsTheNeedleAtItsEnd) {
    Show(100, 4, 4);
    // Pivot (111, 136), needle length 111 - 11 = 100.
    const RECT leftHalf{111 - 90, 130, 111 - 10, 140};
    const RECT rightHalf{111 + 10, 130, 111 + 90, 140};
    display.StartSwing(Clock::now());
    BeginAskedSwing();
    {
        const pwtest::Snapshot screen = OnScreen(display);
        EXPECT_GT(Count(screen, leftHalf, display.m_crNeedle), 50) << "lying left, at 180 degrees";
        EXPECT_EQ(Count(screen, rightHalf, display.m_crNeedle), 0);
    }
    ASSERT_TRUE(pwtest::PumpUntil([&] { return display.GetAngle() < 10.0; }, 2s));
    display.StartSwing(Clock::now());
    BeginAskedSwing();
    const pwtest::Snapshot screen = OnScreen(display);
    EXPECT_GT(Count(screen, rightHalf, display.m_crNeedle), 50) << "lying right, at 0 degrees";
    EXPECT_EQ(Count(screen, leftHalf, display.m_crNeedle), 0) << "the needle before is erased";
    display.StopSwing();
}

TEST_F(TickTockCtrlTest, FramesLeaveNoTraceAndMatchAFullRepaint) {
    Show(30, 4, 4);
    display.StartSwing(Clock::now());
    // Past the middle, so that the needle has been erased on both sides.
    ASSERT_TRUE(pwtest::PumpUntil([&] { return display.GetAngle() < 60.0; }, 3s));
    // Frames are drawn only when their message is dispatched: nothing moves
    // between these shots.
    const pwtest::Snapshot framed = OnScreen(display);
    const pwtest::Snapshot printed(display);
    const pwtest::Snapshot repainted(display, pwtest::Snapshot::Source::Redrawn);
    EXPECT_GT(Count(framed, RECT{0, 0, kWidth, kHeight}, display.m_crNeedle), 50);
    EXPECT_EQ(framed.Pixels(), repainted.Pixels());
    EXPECT_EQ(printed.Pixels(), repainted.Pixels());
    framed.Save(pwtest::ScreenshotPath("ticktock_framed").c_str());
    display.StopSwing();
}

TEST_F(TickTockCtrlTest, SwingAskedForAheadBeginsWhenItsClickIsHeard) {
    Show(100, 4, 4);
    const auto heardAt = Clock::now() + 150ms;
    display.StartSwing(heardAt);
    BeginAskedSwing();
    EXPECT_FALSE(display.IsSwinging());
    ASSERT_TRUE(pwtest::PumpUntil([&] { return display.IsSwinging(); }, 1s));
    EXPECT_GE(display.GetSwingStart(), heardAt);
    std::printf("[ figures  ] swing began %.2f ms after its click\n",
                std::chrono::duration<double, std::milli>(display.GetSwingStart() - heardAt).count());
    display.StopSwing();
}

TEST_F(TickTockCtrlTest, SwingAskedForBeforeAStopNeverBegins) {
    Show(100, 4, 4);
    // As when the metronome's last tick lands just before it is stopped.
    display.StartSwing(Clock::now());
    display.StopSwing();
    pwtest::PumpFor(100ms);
    EXPECT_FALSE(display.IsSwinging());
    EXPECT_EQ(display.GetAngle(), 180.0);
    // A swing asked for after the stop runs.
    display.StartSwing(Clock::now());
    ASSERT_TRUE(pwtest::PumpUntil([&] { return display.IsSwinging(); }, 1s));
    display.StopSwing();
}

TEST_F(TickTockCtrlTest, SwingStartedFromAnotherThreadRunsOnTheWindowThread) {
    Show(240, 4, 4);
    HANDLE thread = ::CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            static_cast<CTickTockCtrl*>(p)->StartSwing(Clock::now());
            return 0;
        },
        &display, 0, nullptr);
    ASSERT_TRUE(thread);
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
    EXPECT_FALSE(display.IsSwinging()) << "nothing happens until the window thread takes it";
    ASSERT_TRUE(pwtest::PumpUntil([&] { return display.IsSwinging(); }, 1s));
    ASSERT_TRUE(pwtest::PumpUntil([&] { return !display.IsSwinging(); }, 2s));
    EXPECT_EQ(display.GetAngle(), 0.0);
}

TEST_F(TickTockCtrlTest, SwingingStartsNoThreads) {
    Show(100, 4, 4);
    // The first swing may make the frame timer's thread, once.
    WholeSwing("100 bpm, first");
    const unsigned before = pwtest::ThreadsStarted();
    unsigned frames = 0;
    for (int i = 0; i < 3; ++i)
        frames += WholeSwing("100 bpm");
    // Wine may start a thread of its own now and then.
    EXPECT_GE(frames, 90u);
    EXPECT_LE(pwtest::ThreadsStarted() - before, 1u)
        << "threads started while " << frames << " frames were drawn";
}

} // namespace
