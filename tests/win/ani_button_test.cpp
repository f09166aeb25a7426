// The mode switch picture on a real window: which frames reach the screen,
// one finish notification per play, the capture that swallows clicks while
// it plays, and the window hidden before the end frame could be drawn.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <vector>

#include "RecordingParent.h"
#include "WinTest.h"
#include "skin/AniButton.h"

using namespace std::chrono_literals;

namespace {

constexpr int kFrameWidth = 214;
constexpr int kFrameHeight = 63;
constexpr int kUnknown = -1;

using Pixels = std::vector<unsigned>;

// The thirteen frame bitmaps as a picture of this size should show them.
std::vector<Pixels> LoadFrames(int width, int height) {
    std::vector<Pixels> frames;
    for (UINT i = 0; i < 13; ++i) {
        const pwtest::Canvas bitmap = pwtest::LoadPicture(CAniButton::kFirstFrameId + i);
        EXPECT_GT(bitmap.Width(), 0) << "frame " << i;
        pwtest::Canvas frame(width, height);
        ::BitBlt(frame.Dc(), 0, 0, width, height, bitmap.Dc(), 0, 0, SRCCOPY);
        frames.push_back(frame.Pixels());
    }
    return frames;
}

struct Finished {
    WPARAM direction;
    bool visible;
    bool captured;
    // Paints seen when the finish had been handled.
    size_t paints;
};

class AniButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent.watched = {WM_CHANGE_BTN_ANI_FINISHED, WM_COMMAND};
        parent.onReceived = [this](const pwtest::Received& r) -> LRESULT {
            if (r.msg != WM_CHANGE_BTN_ANI_FINISHED)
                return 0;
            const bool visible = ani.IsWindowVisible() != FALSE;
            const bool captured = ::GetCapture() == ani.m_hWnd;
            if (repaintOnFinish)
                ::RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            finished.push_back(Finished{r.wp, visible, captured, shown.size()});
            return 0;
        };
        ASSERT_TRUE(parent.Create(RECT{40, 40, 520, 300}));
        pwtest::Activate(parent);
    }

    void CreateAni(int width = kFrameWidth, int height = kFrameHeight) {
        frames = LoadFrames(width, height);
        ASSERT_TRUE(ani.Create(RECT{20, 100, 20 + width, 100 + height}, &parent, 11));
        // Records, after every paint, which frame the screen shows.
        watch.emplace(ani, [this](UINT msg, WPARAM, LPARAM) {
            if (msg == WM_PAINT)
                shown.push_back(Identify(pwtest::Snapshot(ani, pwtest::Snapshot::Source::AsShown).Pixels()));
        });
        for (size_t i = 0; i < frames.size(); ++i)
            for (size_t j = 0; j < i; ++j)
                ASSERT_NE(frames[i], frames[j]) << "frames " << j << " and " << i << " look alike";
    }

    int Identify(const Pixels& pixels) const {
        for (size_t i = 0; i < frames.size(); ++i)
            if (frames[i] == pixels)
                return static_cast<int>(i);
        return kUnknown;
    }
    // The frame the picture draws now.
    int Printed() const { return Identify(pwtest::Snapshot(ani).Pixels()); }

    void PlayToEnd(int direction) {
        size_t before = finished.size();
        ani.Play(direction);
        ASSERT_TRUE(pwtest::PumpUntil([&] { return finished.size() > before; }, 5s));
        pwtest::PumpFor(100ms);
    }

    pwtest::RecordingParent parent;
    CAniButton ani;
    std::vector<Pixels> frames;
    std::vector<int> shown;
    std::optional<pwtest::MessageWatch> watch;
    std::vector<Finished> finished;
    bool repaintOnFinish = false;
};

TEST_F(AniButtonTest, CreatedHiddenWithItsId) {
    CreateAni();
    EXPECT_FALSE(ani.IsWindowVisible());
    EXPECT_EQ(ani.GetDlgCtrlID(), 11);
    EXPECT_EQ(ani.GetStyle() & (WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD));
    pwtest::PumpFor(100ms);
    EXPECT_TRUE(shown.empty()) << "nothing painted while hidden";
}

TEST_F(AniButtonTest, ForwardPaintsThirteenFramesThenNotifiesOnce) {
    CreateAni();
    PlayToEnd(1);
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(finished[0].direction, 1u);
    EXPECT_EQ(Printed(), kUnknown) << "past the last frame: white";
    EXPECT_FALSE(ani.IsWindowVisible());
}

TEST_F(AniButtonTest, BackwardPaintsTwelveFramesThenNotifiesOnce) {
    CreateAni();
    PlayToEnd(2);
    EXPECT_EQ(shown, (std::vector<int>{12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(finished[0].direction, 2u);
    EXPECT_EQ(Printed(), 0) << "back at the first frame";
}

TEST_F(AniButtonTest, CaptureIsHeldWhilePlayingAndReleasedAfter) {
    CreateAni();
    ani.Play(1);
    EXPECT_EQ(::GetCapture(), ani.m_hWnd);
    EXPECT_TRUE(ani.IsWindowVisible());
    ASSERT_TRUE(pwtest::PumpUntil([&] { return !finished.empty(); }, 5s));
    // The parent handled the finish while the picture showed and held the mouse.
    EXPECT_TRUE(finished[0].visible);
    EXPECT_TRUE(finished[0].captured);
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_FALSE(ani.IsWindowVisible());
}

TEST_F(AniButtonTest, EndFrameIsNeverDrawnEvenWhenTheParentRepaints) {
    CreateAni();
    repaintOnFinish = true;
    PlayToEnd(2);
    PlayToEnd(1);
    ASSERT_EQ(finished.size(), 2u);
    for (int frame : shown) {
        EXPECT_NE(frame, kUnknown) << "a white end frame was drawn";
    }
    // Backward ends on frame 0, which must not appear between 1 and the next play.
    const size_t backward = finished[0].paints;
    ASSERT_GT(backward, 0u);
    ASSERT_LT(backward, shown.size());
    EXPECT_EQ(shown[backward], 0) << "the forward play starts at 0";
    EXPECT_EQ(shown[backward - 1], 1) << "the backward play ended on 1";
}

TEST_F(AniButtonTest, ReplayStartsFromTheFirstFrameOfTheNewDirection) {
    CreateAni();
    ani.Play(1);
    ASSERT_TRUE(pwtest::PumpUntil([&] { return shown.size() >= 4; }, 5s));
    ani.Play(2);
    ASSERT_TRUE(pwtest::PumpUntil([&] { return !finished.empty(); }, 5s));
    pwtest::PumpFor(100ms);
    ASSERT_EQ(finished.size(), 1u) << "one notification for the restarted play";
    EXPECT_EQ(finished[0].direction, 2u);
    std::vector<int> tail(shown.end() - 12, shown.end());
    EXPECT_EQ(tail, (std::vector<int>{12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
}

TEST_F(AniButtonTest, UnknownDirectionIsIgnored) {
    CreateAni();
    ani.Play(3);
    EXPECT_FALSE(ani.IsWindowVisible());
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_FALSE(::KillTimer(ani, CAniButton::kTimerId));
}

TEST_F(AniButtonTest, PictureSmallerThanTheFrameIsClipped) {
    CreateAni(206, 52);
    PlayToEnd(1);
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}

TEST_F(AniButtonTest, ClicksOnTheParentsButtonsAreSwallowedWhilePlaying) {
    CreateAni();
    HWND button = ::CreateWindowExA(0, "BUTTON", "beat", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 300, 20, 92,
                                    38, parent, reinterpret_cast<HMENU>(1011), nullptr, nullptr);
    auto clicked = [&] {
        return parent.Count(WM_COMMAND) > 0;
    };

    ani.Play(1);
    pwtest::MouseClick(button);
    ASSERT_TRUE(pwtest::PumpUntil([&] { return !finished.empty(); }, 5s));
    pwtest::PumpFor(100ms);
    EXPECT_FALSE(clicked()) << "swallowed while playing";

    pwtest::MouseClick(button);
    EXPECT_TRUE(pwtest::PumpUntil(clicked, 3s)) << "clicks work again after the finish";
}

TEST_F(AniButtonTest, MidAnimationScreenshot) {
    CreateAni();
    ani.Play(1);
    ASSERT_TRUE(pwtest::PumpUntil([&] { return shown.size() >= 7; }, 5s));
    pwtest::Snapshot shot(ani);
    int frame = Identify(shot.Pixels());
    EXPECT_EQ(frame, shown.back()) << "the frame on the screen";
    EXPECT_GE(frame, 6);
    EXPECT_TRUE(shot.Save(pwtest::ScreenshotPath("mode_switch_mid").c_str()));
    ASSERT_TRUE(pwtest::PumpUntil([&] { return !finished.empty(); }, 5s));
}

} // namespace
