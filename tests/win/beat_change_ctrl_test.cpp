// The beat change popup on real windows: the grow and shrink animation frame
// by frame, the corner buttons and their limits, the background click, and
// the full size it takes back when hidden.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <utility>
#include <vector>

#include "RecordingParent.h"
#include "WinTest.h"
#include "mainwnd/BeatChangeCtrl.h"

namespace {

using namespace std::chrono_literals;
using Beat = std::pair<unsigned, unsigned>;

LPARAM Point(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

class BeatChangeCtrlTest : public ::testing::Test {
protected:
    // The main window's static 1013: 53 x 30 dialog units.
    static constexpr int kWidth = 106;
    static constexpr int kFullHeight = 60;

    void SetUp() override {
        ::SetCursorPos(0, 0);
        parent.watched = {WM_NEED_TO_CHANGE_BEAT, WM_NEED_TO_CLOSE_BEAT_CHANGE_CTRL};
        ASSERT_TRUE(parent.Create(RECT{100, 100, 500, 400}, WS_POPUP));
        ASSERT_TRUE(popup.Create(RECT{0, 0, kWidth, kFullHeight}, &parent, 12));
        watch.emplace(popup, [this](UINT msg, WPARAM, LPARAM lp) {
            if (msg == WM_SIZE && popup.IsAnimating())
                heights.push_back(HIWORD(lp));
        });
        popup.SetBeat(4, 4);
        pwtest::PumpMessages();
    }

    RECT PopupRect() const {
        RECT rc;
        popup.GetWindowRect(&rc);
        parent.ScreenToClient(&rc);
        return rc;
    }

    void Animate() {
        ASSERT_TRUE(pwtest::PumpUntil([&] { return !popup.IsAnimating(); }, 3s));
        pwtest::PumpMessages();
    }

    void OpenFully() {
        popup.Open(200, 150);
        Animate();
        heights.clear();
    }

    // The beats the popup asked for, in order.
    std::vector<Beat> Beats() const {
        std::vector<Beat> beats;
        for (const pwtest::Received& r : parent.All(WM_NEED_TO_CHANGE_BEAT))
            beats.emplace_back(static_cast<unsigned>(r.wp), static_cast<unsigned>(r.lp));
        return beats;
    }
    int CloseRequests() const { return parent.Count(WM_NEED_TO_CLOSE_BEAT_CHANGE_CTRL); }

    void Click(UINT id) {
        HWND button = popup.GetDlgItem(static_cast<int>(id));
        ASSERT_TRUE(button);
        ::PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, Point(20, 10));
        ::PostMessageA(button, WM_LBUTTONUP, 0, Point(20, 10));
        pwtest::PumpMessages();
    }

    pwtest::RecordingParent parent;
    CBeatChangeCtrl popup;
    // Heights the window takes while the animation runs.
    std::vector<int> heights;
    std::optional<pwtest::MessageWatch> watch;
};

TEST_F(BeatChangeCtrlTest, CreatedHiddenAtTheTopLeft) {
    EXPECT_FALSE(popup.IsWindowVisible());
    EXPECT_FALSE(popup.IsOpen());
    RECT rc = PopupRect();
    EXPECT_EQ(rc.left, 0);
    EXPECT_EQ(rc.top, 0);
    EXPECT_EQ(rc.right, kWidth);
    EXPECT_EQ(rc.bottom, kFullHeight);
}

TEST_F(BeatChangeCtrlTest, OpensAsAStripOnThePointAndGrowsBy15Then13) {
    popup.Open(200, 150);
    EXPECT_TRUE(popup.IsOpen());
    EXPECT_TRUE(popup.IsWindowVisible());
    EXPECT_EQ(::GetCapture(), popup.GetSafeHwnd()) << "the popup holds the mouse while it moves";
    RECT strip = PopupRect();
    EXPECT_EQ(strip.left, 200 - kWidth / 2);
    EXPECT_EQ(strip.top, 150 - 19);
    EXPECT_EQ(strip.bottom - strip.top, 38);
    EXPECT_EQ(strip.right - strip.left, kWidth);

    Animate();
    EXPECT_EQ(heights, (std::vector<int>{53, 60}));
    EXPECT_NE(::GetCapture(), popup.GetSafeHwnd());
    RECT rc = PopupRect();
    EXPECT_EQ(rc.bottom - rc.top, kFullHeight);
    EXPECT_LE(std::abs((rc.top + rc.bottom) / 2 - 150), 1) << "grows up and down alike";
    EXPECT_EQ(rc.left, 200 - kWidth / 2);

    // The corner buttons sit in the corners of the open popup.
    RECT noteDown;
    ::GetWindowRect(popup.GetDlgItem(CBeatChangeCtrl::kNoteDownId), &noteDown);
    popup.ScreenToClient(&noteDown);
    EXPECT_EQ(noteDown.left, kWidth - 46);
    EXPECT_EQ(noteDown.top, kFullHeight - 27);
    EXPECT_EQ(noteDown.right, kWidth);
    EXPECT_EQ(noteDown.bottom, kFullHeight);
}

TEST_F(BeatChangeCtrlTest, TallPopupGrowsFrameByFrame) {
    popup.MoveWindow(0, 0, kWidth, 102);
    popup.Open(200, 150);
    Animate();
    EXPECT_EQ(heights, (std::vector<int>{53, 66, 77, 86, 93, 98, 101, 102}));
    heights.clear();
    popup.Close();
    Animate();
    EXPECT_EQ(heights, (std::vector<int>{101, 98, 93, 86, 77, 66, 53, 38}));
}

TEST_F(BeatChangeCtrlTest, ClosingShrinksThenHidesAtFullSizeTopLeft) {
    OpenFully();
    popup.Close();
    EXPECT_FALSE(popup.IsOpen());
    EXPECT_TRUE(popup.IsWindowVisible()) << "visible until the shrinking ends";
    EXPECT_EQ(::GetCapture(), popup.GetSafeHwnd());
    Animate();
    EXPECT_EQ(heights, (std::vector<int>{59, 56, 51, 44, 38}));
    EXPECT_FALSE(popup.IsWindowVisible());
    EXPECT_NE(::GetCapture(), popup.GetSafeHwnd());
    RECT rc = PopupRect();
    EXPECT_EQ(rc.left, 0);
    EXPECT_EQ(rc.top, 0);
    EXPECT_EQ(rc.right, kWidth);
    EXPECT_EQ(rc.bottom, kFullHeight);

    // And opens the same way again.
    heights.clear();
    popup.Open(200, 150);
    Animate();
    EXPECT_EQ(heights, (std::vector<int>{53, 60}));
}

TEST_F(BeatChangeCtrlTest, ReopenedWhileShrinkingStillGrowsToTheFullHeight) {
    popup.MoveWindow(0, 0, kWidth, 102);
    OpenFully();
    popup.Close();
    ASSERT_TRUE(pwtest::PumpUntil([&] { return heights.size() >= 3; }, 3s));
    popup.Open(200, 150);
    heights.clear();
    Animate();
    ASSERT_FALSE(heights.empty());
    EXPECT_EQ(heights.back(), 102);
    popup.Close();
    Animate();
    EXPECT_EQ(PopupRect().bottom, 102) << "hidden at its full height";
}

TEST_F(BeatChangeCtrlTest, NoteDoublesTo16AndStaysReportingEachPress) {
    OpenFully();
    Click(CBeatChangeCtrl::kNoteUpId);
    Click(CBeatChangeCtrl::kNoteUpId);
    Click(CBeatChangeCtrl::kNoteUpId);
    EXPECT_EQ(Beats(), (std::vector<Beat>{{4, 8}, {4, 16}, {4, 16}}));
    parent.received.clear();
    Click(CBeatChangeCtrl::kNoteDownId);
    Click(CBeatChangeCtrl::kNoteDownId);
    Click(CBeatChangeCtrl::kNoteDownId);
    EXPECT_EQ(Beats(), (std::vector<Beat>{{4, 8}, {4, 4}, {4, 4}}));
    EXPECT_EQ(CloseRequests(), 0) << "a corner button does not close the popup";
    EXPECT_TRUE(popup.IsOpen());
}

TEST_F(BeatChangeCtrlTest, BeatsStopAt24And2) {
    OpenFully();
    for (int i = 0; i < 21; ++i)
        Click(CBeatChangeCtrl::kBeatsUpId);
    const std::vector<Beat> beats = Beats();
    ASSERT_EQ(beats.size(), 21u);
    EXPECT_EQ(beats[19].first, 24u);
    EXPECT_EQ(beats[20].first, 24u);
    EXPECT_EQ(popup.GetBeats(), 24u);

    parent.received.clear();
    popup.SetBeat(3, 8);
    Click(CBeatChangeCtrl::kBeatsDownId);
    Click(CBeatChangeCtrl::kBeatsDownId);
    EXPECT_EQ(Beats(), (std::vector<Beat>{{2, 8}, {2, 8}}));
}

TEST_F(BeatChangeCtrlTest, BackgroundClickAsksToClose) {
    OpenFully();
    popup.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Point(53, 30));
    EXPECT_EQ(CloseRequests(), 1);
    EXPECT_TRUE(Beats().empty());
}

TEST_F(BeatChangeCtrlTest, WhiteWithTheCentreBitmapInTheMiddle) {
    OpenFully();
    pwtest::Snapshot shot(popup);
    const pwtest::Canvas centre = pwtest::LoadPicture(CBeatChangeCtrl::kCentreBitmapId);
    ASSERT_GT(centre.Width(), 0);
    // The bitmap's top left at (106 / 2 - 46, 60 / 2 - 19); compared between
    // the corner buttons.
    int compared = 0;
    int same = 0;
    for (int y = 0; y < 38; ++y) {
        for (int x = 46 - 7; x < 60 - 7; ++x) {
            ++compared;
            same += shot.Pixel(7 + x, 11 + y) == centre.Pixel(x, y);
        }
    }
    EXPECT_EQ(same, compared);
    EXPECT_EQ(shot.Pixel(53, 3), RGB(255, 255, 255));
    EXPECT_EQ(shot.Pixel(53, 56), RGB(255, 255, 255));
}

} // namespace
