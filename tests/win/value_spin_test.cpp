// The value spin and its repeat buttons on real windows: steps and limits,
// repeats while held, the opening and closing animation frame by frame.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

#include "RecordingParent.h"
#include "WinTest.h"
#include "skin/ValueSpin.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Where the open spin shows its value: between a margin and the buttons.
constexpr RECT kText{10, 0, 98 - 60, 60};

LPARAM Point(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

// Counts pixels of one colour in a rectangle of what is on the screen now.
int CountOnScreen(HWND hwnd, const RECT& rc, COLORREF colour) {
    const pwtest::Snapshot shot(hwnd, pwtest::Snapshot::Source::AsShown);
    int count = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x)
            count += shot.Pixel(x, y) == colour;
    return count;
}

class ValueSpinTest : public ::testing::Test {
protected:
    // The editor's step count button, 6 pixels wider: 98 x 29.
    static constexpr RECT kHome{20, 100, 118, 129};

    void SetUp() override {
        ::SetCursorPos(0, 0);
        parent.watched = {WM_PSC_CHANGED_VALUE, WM_PSC_NEED_TO_CLOSE_CTRL};
        ASSERT_TRUE(parent.Create(RECT{200, 200, 500, 400}, WS_POPUP));
        ASSERT_TRUE(spin.Create(kHome, &parent, 14));
        watch.emplace(spin, [this](UINT msg, WPARAM wp, LPARAM lp) {
            if (msg == WM_SIZE)
                sizes.push_back(HIWORD(lp));
            if (msg == WM_TIMER && wp == CValueSpin::kAnimTimerId) {
                RECT rc;
                spin.GetWindowRect(&rc);
                ticks.push_back(rc.bottom - rc.top);
            }
        });
        spin.m_nMax = 100;
        spin.m_nMin = 8;
        spin.SetValue(16);
        up = spin.GetDlgItem(CValueSpin::kUpId);
        down = spin.GetDlgItem(CValueSpin::kDownId);
        ASSERT_TRUE(up && down);
        pwtest::PumpMessages();
    }

    RECT SpinRect() const {
        RECT rc;
        spin.GetWindowRect(&rc);
        parent.ScreenToClient(&rc);
        return rc;
    }

    // The spin holds the mouse while it moves.
    bool Moving() const { return ::GetCapture() == spin.GetSafeHwnd(); }

    void OpenFully() {
        spin.Open();
        ASSERT_TRUE(pwtest::PumpUntil([&] { return !Moving(); }, 3s));
        pwtest::PumpMessages();
    }

    void Click(HWND button) {
        ::PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, Point(20, 10));
        ::PostMessageA(button, WM_LBUTTONUP, 0, Point(20, 10));
        pwtest::PumpMessages();
    }

    // The steps the spin reported: each with its spin, value and time.
    std::vector<pwtest::Received> Changes() const { return parent.All(WM_PSC_CHANGED_VALUE); }
    std::vector<int> Values() const {
        std::vector<int> values;
        for (const auto& change : Changes())
            values.push_back(static_cast<int>(change.lp));
        return values;
    }

    pwtest::RecordingParent parent;
    CValueSpin spin;
    // Client heights as the window was sized, and window heights after each
    // animation tick.
    std::vector<int> sizes;
    std::vector<int> ticks;
    std::optional<pwtest::MessageWatch> watch;
    HWND up = nullptr;
    HWND down = nullptr;
};

TEST_F(ValueSpinTest, CreatedHiddenAtHome) {
    EXPECT_FALSE(spin.IsWindowVisible());
    EXPECT_FALSE(spin.IsOpen());
    RECT rc = SpinRect();
    EXPECT_EQ(rc.top, kHome.top);
    EXPECT_EQ(rc.bottom, kHome.bottom);
    EXPECT_EQ(rc.left, kHome.left);
    EXPECT_EQ(rc.right, kHome.right);
}

TEST_F(ValueSpinTest, OpensInFramesOfSevenFiveThreeOne) {
    sizes.clear();
    spin.Open();
    EXPECT_TRUE(spin.IsOpen());
    EXPECT_TRUE(spin.IsWindowVisible());
    EXPECT_TRUE(Moving()) << "the spin holds the mouse while it moves";
    ASSERT_TRUE(pwtest::PumpUntil([&] { return !Moving(); }, 3s));
    pwtest::PumpFor(200ms);
    EXPECT_EQ(ticks, (std::vector<int>{43, 53, 59, 60}));
    EXPECT_EQ(sizes, (std::vector<int>{43, 53, 59, 60}));
    EXPECT_FALSE(::KillTimer(spin, CValueSpin::kAnimTimerId)) << "the animation has ended";
    RECT rc = SpinRect();
    EXPECT_EQ(rc.top, 84) << "centred on the home's middle";
    EXPECT_EQ(rc.bottom, 144);
    EXPECT_EQ(rc.left, kHome.left);
    EXPECT_EQ(rc.right, kHome.right);

    // The buttons sit in the right-hand corners of the open spin.
    RECT upRect;
    ::GetWindowRect(up, &upRect);
    spin.ScreenToClient(&upRect);
    EXPECT_EQ(upRect.left, 98 - 46);
    EXPECT_EQ(upRect.top, 0);
    EXPECT_EQ(upRect.bottom, 27);
    RECT downRect;
    ::GetWindowRect(down, &downRect);
    spin.ScreenToClient(&downRect);
    EXPECT_EQ(downRect.top, 60 - 27);
    EXPECT_EQ(downRect.bottom, 60);

    // The value in black, centred in its room.
    pwtest::Snapshot shot(spin);
    RECT ink{shot.Width(), shot.Height(), -1, -1};
    for (int y = 0; y < shot.Height(); ++y) {
        for (int x = 0; x < shot.Width() - 46; ++x) {
            if (shot.Pixel(x, y) == RGB(0, 0, 0))
                ink = RECT{std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y),
                           std::max<LONG>(ink.right, x), std::max<LONG>(ink.bottom, y)};
        }
    }
    std::printf("value drawn in %ld,%ld-%ld,%ld\n", ink.left, ink.top, ink.right, ink.bottom);
    EXPECT_GE(ink.left, kText.left);
    EXPECT_LT(ink.right, kText.right);
    EXPECT_NEAR((ink.left + ink.right + 1) / 2.0, (kText.left + kText.right) / 2.0, 1.5);
    EXPECT_NEAR((ink.top + ink.bottom + 1) / 2.0, (kText.top + kText.bottom) / 2.0, 4.0);
}

TEST_F(ValueSpinTest, ClosesInFramesOfOneThreeFiveSevenThenGoesHome) {
    OpenFully();
    sizes.clear();
    ticks.clear();
    spin.Close();
    EXPECT_FALSE(spin.IsOpen());
    EXPECT_TRUE(Moving());
    ASSERT_TRUE(pwtest::PumpUntil([&] { return !Moving(); }, 3s));
    pwtest::PumpFor(200ms);
    EXPECT_EQ(sizes, (std::vector<int>{58, 52, 42, 28, 29}));
    EXPECT_EQ(ticks.size(), 4u);
    EXPECT_FALSE(::KillTimer(spin, CValueSpin::kAnimTimerId)) << "the animation has ended";
    EXPECT_FALSE(spin.IsWindowVisible());
    RECT rc = SpinRect();
    EXPECT_EQ(rc.top, kHome.top);
    EXPECT_EQ(rc.bottom, kHome.bottom);
    EXPECT_NE(::GetCapture(), spin.GetSafeHwnd());

    // And opens again the same way.
    ticks.clear();
    OpenFully();
    EXPECT_EQ(ticks, (std::vector<int>{43, 53, 59, 60}));
}

TEST_F(ValueSpinTest, ButtonsStepAndReportEveryChange) {
    OpenFully();
    Click(up);
    Click(up);
    Click(down);
    EXPECT_EQ(Values(), (std::vector<int>{17, 18, 17}));
    EXPECT_EQ(spin.GetValue(), 17);
    for (const auto& change : Changes())
        EXPECT_EQ(reinterpret_cast<HWND>(change.wp), spin.GetSafeHwnd());
    // Repeats from the buttons step the same way; from anything else nothing.
    spin.SendMessage(WM_PCB_PUSHED_LBUTTON, reinterpret_cast<WPARAM>(up));
    spin.SendMessage(WM_PCB_PUSHED_LBUTTON, reinterpret_cast<WPARAM>(down));
    spin.SendMessage(WM_PCB_PUSHED_LBUTTON, reinterpret_cast<WPARAM>(down));
    EXPECT_EQ(spin.SendMessage(WM_PCB_PUSHED_LBUTTON, reinterpret_cast<WPARAM>(parent.GetSafeHwnd())), 0);
    EXPECT_EQ(Values(), (std::vector<int>{17, 18, 17, 18, 17, 16}));
}

TEST_F(ValueSpinTest, ValueIsDrawnInBlackOverTheBackground) {
    OpenFully();
    spin.SetValue(42);
    pwtest::Snapshot shot(spin);
    int black = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = kText.left; x < kText.right; ++x)
            black += shot.Pixel(x, y) == RGB(0, 0, 0);
    EXPECT_GT(black, 20);
    // The background bitmap at the left, vertically centred (top 60 / 2 - 19),
    // seen beside the text; white above and below it.
    const pwtest::Canvas back = pwtest::LoadPicture(CValueSpin::kBackgroundId);
    ASSERT_GT(back.Width(), 0);
    int compared = 0;
    int same = 0;
    for (int y = 0; y < 38; ++y) {
        for (int x = 0; x < 98 - 46; ++x) {
            if (x >= kText.left && x < kText.right)
                continue;
            ++compared;
            same += shot.Pixel(x, 11 + y) == back.Pixel(x, y);
        }
    }
    EXPECT_EQ(same, compared);
    EXPECT_EQ(shot.Pixel(20, 5), RGB(255, 255, 255));
    EXPECT_EQ(shot.Pixel(20, 55), RGB(255, 255, 255));
}

TEST_F(ValueSpinTest, LimitKeepsTheValueReportsItAndWarnsInRed) {
    OpenFully();
    spin.SetValue(99);
    ::UpdateWindow(spin);
    Click(up);
    ::UpdateWindow(spin);
    EXPECT_EQ(CountOnScreen(spin, kText, RGB(255, 0, 0)), 0);
    Click(up);
    EXPECT_EQ(Values(), (std::vector<int>{100, 100})) << "the parent hears the unchanged value";
    EXPECT_EQ(spin.GetValue(), 100);
    EXPECT_GT(CountOnScreen(spin, kText, RGB(255, 0, 0)), 10);
    // Black again with the next repaint.
    ::RedrawWindow(spin, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(CountOnScreen(spin, kText, RGB(255, 0, 0)), 0);

    spin.SetValue(8);
    ::UpdateWindow(spin);
    Click(down);
    EXPECT_EQ(Values(), (std::vector<int>{100, 100, 8}));
    EXPECT_GT(CountOnScreen(spin, kText, RGB(255, 0, 0)), 10);
}

TEST_F(ValueSpinTest, PressOnTheSpinItselfAsksToClose) {
    OpenFully();
    spin.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
    const std::vector<pwtest::Received> closeRequests = parent.All(WM_PSC_NEED_TO_CLOSE_CTRL);
    ASSERT_EQ(closeRequests.size(), 1u);
    EXPECT_EQ(reinterpret_cast<HWND>(closeRequests[0].wp), spin.GetSafeHwnd());
    EXPECT_TRUE(Changes().empty());
}

TEST_F(ValueSpinTest, ShortPressStepsOnceOnRelease) {
    OpenFully();
    ::PostMessageA(up, WM_LBUTTONDOWN, MK_LBUTTON, Point(20, 10));
    pwtest::PumpFor(300ms);
    EXPECT_TRUE(Changes().empty());
    ::PostMessageA(up, WM_LBUTTONUP, 0, Point(20, 10));
    pwtest::PumpFor(1300ms);
    EXPECT_EQ(Values(), std::vector<int>{17});
}

TEST_F(ValueSpinTest, HeldButtonRepeatsEveryTenthAfterOneSecond) {
    OpenFully();
    auto pressed = Clock::now();
    ::PostMessageA(up, WM_LBUTTONDOWN, MK_LBUTTON, Point(20, 10));
    pwtest::PumpUntil([] { return false; }, 1350ms);
    size_t held = Changes().size();
    auto released = Clock::now();
    ::PostMessageA(up, WM_LBUTTONUP, 0, Point(20, 10));
    pwtest::PumpFor(500ms);
    const std::vector<pwtest::Received> changes = Changes();

    auto ms = [&](Clock::time_point t) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(t - pressed).count();
    };
    for (const auto& change : changes)
        std::printf("step to %d at %lld ms\n", static_cast<int>(change.lp),
                    static_cast<long long>(ms(change.when)));
    std::printf("released at %lld ms\n", static_cast<long long>(ms(released)));

    // Repeats at 1.1, 1.2 and 1.3 s while held (never sooner, never closer
    // than the 100 ms period; a slow machine may fit fewer), then the click.
    ASSERT_GE(held, 1u);
    EXPECT_LE(held, 3u);
    EXPECT_GE(ms(changes[0].when), 1000);
    for (size_t i = 1; i < held; ++i)
        EXPECT_GE(ms(changes[i].when) - ms(changes[i - 1].when), 90);
    ASSERT_EQ(changes.size(), held + 1) << "one step on release, no repeat after it";
    EXPECT_GE(changes.back().when, released);
    for (size_t i = 0; i < changes.size(); ++i)
        EXPECT_EQ(changes[i].lp, 17 + static_cast<int>(i));
}

TEST_F(ValueSpinTest, RepeatsStopWhenAnotherWindowTakesTheMouse) {
    OpenFully();
    ::PostMessageA(down, WM_LBUTTONDOWN, MK_LBUTTON, Point(20, 10));
    ASSERT_TRUE(pwtest::PumpUntil([&] { return !Changes().empty(); }, 3s));
    // The spin being closed by a key while the button is held takes the mouse.
    spin.Close();
    size_t atCapture = Changes().size();
    pwtest::PumpFor(600ms);
    EXPECT_EQ(Changes().size(), atCapture);
    EXPECT_EQ(Changes().front().lp, 15);
}

} // namespace
