// The repeat button's flash on a real window: the timers that make the button
// repeat do not end a flash, which lasts until its own timer.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "RecordingParent.h"
#include "WinTest.h"
#include "bitmap_ids.h"
#include "skin/RepeatButton.h"

namespace {

using namespace std::chrono_literals;

bool SameLook(const pwtest::Snapshot& a, const pwtest::Snapshot& b) {
    return a.Width() == b.Width() && a.Pixels() == b.Pixels();
}

TEST(RepeatButton, AFlashLastsItsTimeWhileTheButtonRepeats) {
    pwtest::RecordingParent parent;
    parent.watched = {WM_PCB_PUSHED_LBUTTON};
    ASSERT_TRUE(parent.Create());
    CRepeatButton button;
    ASSERT_TRUE(button.Create("BUTTON", "", WS_CHILD | WS_VISIBLE, RECT{20, 20, 66, 47}, &parent, 100));
    SetUpFlashButton(button, IDB_ARROW_UP_HOT, IDB_ARROW_UP_NORMAL, 0, IDB_ARROW_UP_FLASH);
    const auto shown = [&] {
        ::UpdateWindow(button);
        return std::make_unique<pwtest::Snapshot>(button, pwtest::Snapshot::Source::AsShown);
    };

    ::PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    ASSERT_TRUE(pwtest::PumpUntil([&] { return parent.Count(WM_PCB_PUSHED_LBUTTON) > 0; }, 3s));
    auto held = shown();
    button.Flash();
    auto flashing = shown();
    ASSERT_FALSE(SameLook(*held, *flashing));

    // The next repeat comes before the flash's time is up: the value steps
    // and the flash stays.
    int repeats = parent.Count(WM_PCB_PUSHED_LBUTTON);
    button.SendMessage(WM_TIMER, CRepeatButton::kRepeatTimerId);
    EXPECT_EQ(parent.Count(WM_PCB_PUSHED_LBUTTON), repeats + 1);
    EXPECT_TRUE(SameLook(*shown(), *flashing));

    // Its own timer ends it, while the button goes on repeating.
    ASSERT_TRUE(pwtest::PumpUntil([&] { return SameLook(*shown(), *held); }, 3s));
    repeats = parent.Count(WM_PCB_PUSHED_LBUTTON);
    ASSERT_TRUE(pwtest::PumpUntil([&] { return parent.Count(WM_PCB_PUSHED_LBUTTON) > repeats; }, 3s));
    ::PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(200, 200));
    pwtest::PumpMessages();
}

} // namespace
