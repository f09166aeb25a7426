// The mode switch picture on a real window: which frames reach the screen,
// one finish notification per play, the capture that swallows clicks while
// it plays, and the window hidden before the end frame could be drawn.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "WinTest.h"
#include "framework/Gdi.h"
#include "skin/AniButton.h"
#include "skin_support/SkinTest.h"

using namespace std::chrono_literals;

namespace {

constexpr int kFrameWidth = 214;
constexpr int kFrameHeight = 63;
constexpr int kUnknown = -1;

using Pixels = std::vector<unsigned>;

// The pixels of a device context's top left width x height.
Pixels Grab(HDC dc, int width, int height) {
    skintest::Canvas canvas(width, height);
    ::BitBlt(canvas.Dc(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
    return canvas.Pixels();
}

// The thirteen frame bitmaps as the picture should show them.
std::vector<Pixels> LoadFrames(int width, int height) {
    std::vector<Pixels> frames;
    for (UINT i = 0; i < 13; ++i) {
        CBitmap bmp;
        EXPECT_TRUE(bmp.LoadBitmap(CAniButton::kFirstFrameId + i));
        HDC mem = ::CreateCompatibleDC(nullptr);
        HGDIOBJ old = ::SelectObject(mem, bmp);
        frames.push_back(Grab(mem, width, height));
        ::SelectObject(mem, old);
        ::DeleteDC(mem);
    }
    return frames;
}

// Records, after every paint, which frame the screen shows.
class WatchedAni : public CAniButton {
public:
    std::vector<Pixels> frames;
    std::vector<int> shown;
    std::vector<int> frameAtPaint;

    int Identify(const Pixels& pixels) const {
        for (size_t i = 0; i < frames.size(); ++i)
            if (frames[i] == pixels)
                return static_cast<int>(i);
        return kUnknown;
    }
    int Frame() const { return m_nFrame; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        LRESULT result = CAniButton::WindowProc(msg, wp, lp);
        if (msg == WM_PAINT) {
            RECT rc;
            GetClientRect(&rc);
            CClientDC dc(m_hWnd);
            shown.push_back(Identify(Grab(dc, rc.right, rc.bottom)));
            frameAtPaint.push_back(m_nFrame);
        }
        return result;
    }
};

struct Finished {
    WPARAM direction;
    bool visible;
    bool captured;
};

class AniButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent.watched = {WM_CHANGE_BTN_ANI_FINISHED, WM_COMMAND};
        parent.context = this;
        parent.onReceived = [](skintest::RecordingParent& p, const skintest::Received& r) {
            auto* self = static_cast<AniButtonTest*>(p.context);
            if (r.msg != WM_CHANGE_BTN_ANI_FINISHED)
                return;
            self->finished.push_back(
                Finished{r.wp, self->ani.IsWindowVisible() != FALSE, ::GetCapture() == self->ani.m_hWnd});
            if (self->repaintOnFinish)
                ::RedrawWindow(p, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        };
        ASSERT_TRUE(parent.Create(480, 260));
        skintest::Activate(parent);
    }

    void CreateAni(int width = kFrameWidth, int height = kFrameHeight) {
        ani.frames = LoadFrames(width, height);
        ASSERT_TRUE(ani.Create(RECT{20, 100, 20 + width, 100 + height}, &parent, 11));
        for (size_t i = 0; i < ani.frames.size(); ++i)
            for (size_t j = 0; j < i; ++j)
                ASSERT_NE(ani.frames[i], ani.frames[j]) << "frames " << j << " and " << i << " look alike";
    }

    void PlayToEnd(int direction) {
        size_t before = finished.size();
        ani.Play(direction);
        ASSERT_TRUE(pwtest::PumpUntil([&] { return finished.size() > before; }, 5s));
        pwtest::PumpFor(100ms);
    }

    skintest::RecordingParent parent;
    WatchedAni ani;
    std::vector<Finished> finished;
    bool repaintOnFinish = false;
};

TEST_F(AniButtonTest, CreatedHiddenWithItsId) {
    CreateAni();
    EXPECT_FALSE(ani.IsWindowVisible());
    EXPECT_EQ(ani.GetDlgCtrlID(), 11);
    EXPECT_EQ(ani.GetStyle() & (WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD));
    pwtest::PumpFor(100ms);
    EXPECT_TRUE(ani.shown.empty()) << "nothing painted while hidden";
}

TEST_F(AniButtonTest, ForwardPaintsThirteenFramesThenNotifiesOnce) {
    CreateAni();
    PlayToEnd(1);
    EXPECT_EQ(ani.shown, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(finished[0].direction, 1u);
    EXPECT_EQ(ani.Frame(), 13);
    EXPECT_FALSE(ani.IsWindowVisible());
}

TEST_F(AniButtonTest, BackwardPaintsTwelveFramesThenNotifiesOnce) {
    CreateAni();
    PlayToEnd(2);
    EXPECT_EQ(ani.shown, (std::vector<int>{12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(finished[0].direction, 2u);
    EXPECT_EQ(ani.Frame(), 0);
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
    for (int frame : ani.shown) {
        EXPECT_NE(frame, kUnknown) << "a white end frame was drawn";
    }
    // Backward ends on frame 0, which must not appear between 1 and the next play.
    size_t backward = 0;
    while (backward < ani.frameAtPaint.size() && ani.frameAtPaint[backward] != 0)
        ++backward;
    EXPECT_EQ(ani.shown[backward], 0) << "the forward play starts at 0";
    EXPECT_EQ(ani.shown[backward - 1], 1) << "the backward play ended on 1";
}

TEST_F(AniButtonTest, ReplayStartsFromTheFirstFrameOfTheNewDirection) {
    CreateAni();
    ani.Play(1);
    ASSERT_TRUE(pwtest::PumpUntil([&] { return ani.shown.size() >= 4; }, 5s));
    ani.Play(2);
    ASSERT_TRUE(pwtest::PumpUntil([&] { return !finished.empty(); }, 5s));
    pwtest::PumpFor(100ms);
    ASSERT_EQ(finished.size(), 1u) << "one notification for the restarted play";
    EXPECT_EQ(finished[0].direction, 2u);
    std::vector<int> tail(ani.shown.end() - 12, ani.shown.end());
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
    EXPECT_EQ(ani.shown, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}

void Click(POINT screen) {
    ::SetCursorPos(screen.x, screen.y);
    INPUT input[2]{};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, input, sizeof(INPUT));
}

TEST_F(AniButtonTest, ClicksOnTheParentsButtonsAreSwallowedWhilePlaying) {
    CreateAni();
    HWND button = ::CreateWindowExA(0, "BUTTON", "beat", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 300, 20, 92,
                                    38, parent, reinterpret_cast<HMENU>(1011), nullptr, nullptr);
    RECT rc;
    ::GetWindowRect(button, &rc);
    POINT centre{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    auto clicked = [&] {
        return parent.Count(WM_COMMAND) > 0;
    };

    ani.Play(1);
    Click(centre);
    ASSERT_TRUE(pwtest::PumpUntil([&] { return !finished.empty(); }, 5s));
    pwtest::PumpFor(100ms);
    EXPECT_FALSE(clicked()) << "swallowed while playing";

    Click(centre);
    EXPECT_TRUE(pwtest::PumpUntil(clicked, 3s)) << "clicks work again after the finish";
}

TEST_F(AniButtonTest, MidAnimationScreenshot) {
    CreateAni();
    ani.Play(1);
    ASSERT_TRUE(pwtest::PumpUntil([&] { return ani.shown.size() >= 7; }, 5s));
    pwtest::Snapshot shot(ani);
    Pixels pixels;
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = 0; x < shot.Width(); ++x) {
            COLORREF c = shot.Pixel(x, y);
            pixels.push_back((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
        }
    int frame = ani.Identify(pixels);
    EXPECT_EQ(frame, ani.Frame());
    EXPECT_GE(frame, 6);
    EXPECT_TRUE(shot.Save(skintest::ScreenshotPath("mode_switch_mid").c_str()));
    ASSERT_TRUE(pwtest::PumpUntil([&] { return !finished.empty(); }, 5s));
}

} // namespace
