// The tempo slider on the real trackbar: shades, the thumb and channel it
// draws through the reflected custom-draw notification, Page Up / Page Down
// and the focus that follows the mouse.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "RecordingParent.h"
#include "WinTest.h"
#include "skin/SkinMath.h"
#include "skin/TempoSlider.h"

using namespace std::chrono_literals;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// The colours a thumb is drawn in.
struct Shades {
    COLORREF face;
    COLORREF light1;
    COLORREF light2;
    COLORREF dark1;
    COLORREF dark2;
};

// A face with room to lighten and darken, so every shade differs.
constexpr COLORREF kFace = RGB(100, 150, 200);
constexpr Shades kShades{kFace, RGB(151, 201, 251), RGB(202, 252, 251), RGB(49, 99, 149), RGB(49, 48, 98)};
constexpr COLORREF kLight1 = kShades.light1;
constexpr COLORREF kLight2 = kShades.light2;
constexpr COLORREF kDark2 = kShades.dark2;

COLORREF Sys(int index) {
    return ::GetSysColor(index);
}

// The system's colours halfway between the button face and its shadow, and
// between the shadow and the dark shadow: the channel's bevel.
COLORREF ShadowMid() {
    return skin::MidColour(Sys(COLOR_BTNFACE), Sys(COLOR_BTNSHADOW));
}
COLORREF DarkShadowMid() {
    return skin::MidColour(Sys(COLOR_BTNSHADOW), Sys(COLOR_3DDKSHADOW));
}

// Has the slider draw a part (TBCD_THUMB or TBCD_CHANNEL) into dc at rect,
// through the custom-draw notification its trackbar sends.
void DrawPart(CTempoSlider& slider, HDC dc, DWORD_PTR part, const RECT& rect) {
    NMCUSTOMDRAW draw{};
    draw.hdr.hwndFrom = slider;
    draw.hdr.idFrom = static_cast<UINT_PTR>(slider.GetDlgCtrlID());
    draw.hdr.code = static_cast<UINT>(NM_CUSTOMDRAW);
    draw.dwDrawStage = CDDS_ITEMPREPAINT;
    draw.hdc = dc;
    draw.rc = rect;
    draw.dwItemSpec = part;
    ::SendMessageA(::GetParent(slider), WM_NOTIFY, draw.hdr.idFrom, reinterpret_cast<LPARAM>(&draw));
}

class TempoSliderTest : public ::testing::Test {
protected:
    void SetUp() override {
        pwtest::InitControls();
        parent.watched = {WM_SLIDER_PUSH_PGUP, WM_SLIDER_PUSH_PGDOWN};
        ASSERT_TRUE(parent.Create());
    }

    void CreateSlider(DWORD style = TBS_AUTOTICKS, RECT rect = RECT{10, 20, 334, 64}) {
        ASSERT_TRUE(slider.CreateEx(0, TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, rect,
                                    &parent, 1003));
        slider.SetRange(30, 300, TRUE);
        slider.SetTicFreq(10);
        slider.SetPos(200);
    }

    pwtest::RecordingParent parent;
    CTempoSlider slider;
};

// The thumb of a slider with ticks below, drawn into a picture at (10, 5),
// 20 pixels high: outline at x = 10 and x = 9 + w, grip in the shrunk rectangle.
struct Thumb {
    int width;
    std::vector<int> lightX;
    std::vector<int> darkX;
};

void ExpectThumb(CTempoSlider& slider, const Thumb& thumb, bool enabled, const Shades& shades = kShades) {
    pwtest::Canvas canvas(40, 40);
    const int l = 10, t = 5, b = 25, r = l + thumb.width;
    DrawPart(slider, canvas.Dc(), TBCD_THUMB, RECT{l, t, r, b});
    const COLORREF frame = ::GetSysColor(COLOR_WINDOWFRAME);
    SCOPED_TRACE(testing::Message() << "width " << thumb.width << (enabled ? " enabled" : " disabled"));

    // Outline on both sides and at the tip, face inside it, picture outside.
    EXPECT_EQ(canvas.Pixel(l, t + 10), frame);
    EXPECT_EQ(canvas.Pixel(r - 1, t + 10), frame);
    EXPECT_EQ(canvas.Pixel(l + (thumb.width >> 1), b - 1), frame);
    EXPECT_EQ(canvas.Pixel(l - 1, t + 10), kWhite);
    EXPECT_EQ(canvas.Pixel(r, t + 10), kWhite);
    EXPECT_EQ(canvas.Pixel(l + 2, t + 1), thumb.width > 5 ? shades.light1 : shades.face);

    // Bevel only on thumbs wider than 5.
    EXPECT_EQ(canvas.Pixel(l + 1, t + 10), thumb.width > 5 ? shades.light1 : shades.face);
    EXPECT_EQ(canvas.Pixel(l + 1, t + 1), thumb.width > 5 ? shades.light2 : shades.face);
    EXPECT_EQ(canvas.Pixel(r - 2, t + 10), thumb.width > 5 ? shades.dark1 : shades.face);

    // Grip rows: light lines from t + 5 to b - 5 (shrunk b = 23), dark to b - 4.
    for (int x = l + 2; x < r - 2; ++x) {
        bool light = enabled && std::find(thumb.lightX.begin(), thumb.lightX.end(), x) != thumb.lightX.end();
        bool dark = enabled && std::find(thumb.darkX.begin(), thumb.darkX.end(), x) != thumb.darkX.end();
        EXPECT_EQ(canvas.Pixel(x, t + 12), light  ? shades.light1
                                           : dark ? shades.dark2
                                                  : shades.face)
            << "x " << x;
        EXPECT_EQ(canvas.Pixel(x, t + 4), light ? shades.light2 : shades.face) << "x " << x;
        EXPECT_EQ(canvas.Pixel(x, 23 - 5), dark ? shades.dark2 : shades.face) << "x " << x;
    }
}

const Thumb kThumbs[] = {
    {5, {}, {}},
    {8, {12, 14}, {13, 15}},
    {11, {12, 14, 16, 18}, {13, 15, 17}},
};

// The channel and the thumb of the trackbar, shown before any colour is set:
// the system's.
TEST_F(TempoSliderTest, StartsWithTheSystemColours) {
    CreateSlider(TBS_AUTOTICKS | TBS_ENABLESELRANGE);
    const COLORREF face = Sys(COLOR_BTNFACE);
    const COLORREF light1 = skin::Lighten(face, 51);
    const COLORREF dark1 = skin::Darken(face, 51);
    ExpectThumb(slider, kThumbs[2], true,
                Shades{face, light1, skin::Lighten(light1, 51), dark1, skin::Darken(dark1, 51)});

    slider.SetSelection(30, 120);
    RECT channel{};
    slider.GetChannelRect(&channel);
    auto span = skin::SelectionSpan(30, 120, 30, 300, channel.left, channel.right - channel.left);
    ASSERT_TRUE(span);
    pwtest::Snapshot shot(slider);
    const int x = span->end + 4;
    EXPECT_EQ(shot.Pixel(x, channel.top), ShadowMid());
    EXPECT_EQ(shot.Pixel(x, channel.top + 1), DarkShadowMid());
    EXPECT_EQ(shot.Pixel(x, channel.top + 2), Sys(COLOR_WINDOW)) << "the channel";
    EXPECT_EQ(shot.Pixel(x, channel.bottom), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(shot.Pixel(span->begin + 2, channel.top + 2), Sys(COLOR_HIGHLIGHT)) << "the selection";
}

TEST_F(TempoSliderTest, WhiteFaceGivesWhiteLightsAndGreys204And153) {
    CreateSlider();
    slider.SetFaceColour(kWhite);
    ExpectThumb(slider, kThumbs[2], true,
                Shades{kWhite, kWhite, kWhite, RGB(204, 204, 204), RGB(153, 153, 153)});
}

TEST_F(TempoSliderTest, SystemGreyFaceKeepsChannelsThatCannotTakeTheStep) {
    CreateSlider();
    slider.SetFaceColour(RGB(192, 192, 192));
    ExpectThumb(slider, kThumbs[2], true,
                Shades{RGB(192, 192, 192), RGB(243, 243, 243), RGB(243, 243, 243), RGB(141, 141, 141),
                       RGB(90, 90, 90)});
}

TEST_F(TempoSliderTest, ThumbGripGrowsWithItsWidth) {
    CreateSlider();
    slider.SetFaceColour(kFace);
    for (const Thumb& thumb : kThumbs)
        ExpectThumb(slider, thumb, true);
}

TEST_F(TempoSliderTest, DisabledThumbHasNoGrip) {
    CreateSlider();
    slider.SetFaceColour(kFace);
    slider.EnableWindow(FALSE);
    for (const Thumb& thumb : kThumbs)
        ExpectThumb(slider, thumb, false);
}

TEST_F(TempoSliderTest, TrackbarThumbIsDrawnByTheSlider) {
    CreateSlider();
    slider.SetFaceColour(kFace);
    RECT thumb{};
    slider.GetThumbRect(&thumb);
    const int w = thumb.right - thumb.left;
    ASSERT_GT(thumb.bottom - thumb.top, w);
    pwtest::Snapshot shot(slider);
    const int d = w >> 1;
    // Outline, face below the grip, and the first light and dark grip lines
    // of the rectangle shrunk by one at the sides.
    EXPECT_EQ(shot.Pixel(thumb.left, thumb.top + 3), ::GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(shot.Pixel(thumb.left + d, thumb.bottom - d), kFace);
    ASSERT_GT(w, 5) << "the trackbar's thumb is " << w << " wide";
    EXPECT_EQ(shot.Pixel(thumb.left + 1, thumb.top + 6), kLight1);
    EXPECT_EQ(shot.Pixel(thumb.left + 2, thumb.top + 6), kLight1);
    EXPECT_EQ(shot.Pixel(thumb.left + 3, thumb.top + 6), kDark2);
    EXPECT_EQ(shot.Pixel(thumb.left + 2, thumb.top + 4), kLight2);
    std::printf("thumb %ld,%ld-%ld,%ld\n", thumb.left, thumb.top, thumb.right, thumb.bottom);
}

TEST_F(TempoSliderTest, ChannelHasItsBevelAndColour) {
    CreateSlider(TBS_AUTOTICKS | TBS_ENABLESELRANGE);
    slider.SetChannelColour(RGB(0, 0, 0));
    slider.SetFaceColour(kWhite);
    RECT channel{};
    slider.GetChannelRect(&channel);
    ASSERT_GT(channel.bottom - channel.top, 4) << "the fill needs a channel thicker than 3 after its insets";
    pwtest::Snapshot shot(slider);
    const int x = channel.left + 8;
    EXPECT_EQ(shot.Pixel(x, channel.top), ShadowMid());
    EXPECT_EQ(shot.Pixel(x, channel.top + 1), DarkShadowMid());
    EXPECT_EQ(shot.Pixel(x, channel.top + 2), RGB(0, 0, 0));
    EXPECT_EQ(shot.Pixel(x, channel.bottom - 1), DarkShadowMid());
    EXPECT_EQ(shot.Pixel(x, channel.bottom), Sys(COLOR_BTNHIGHLIGHT));
}

TEST_F(TempoSliderTest, DisabledChannelIsButtonFace) {
    CreateSlider(TBS_AUTOTICKS | TBS_ENABLESELRANGE);
    slider.SetChannelColour(RGB(0, 0, 0));
    slider.SetFaceColour(kFace);
    slider.EnableWindow(FALSE);
    RECT channel{}, thumb{};
    slider.GetChannelRect(&channel);
    slider.GetThumbRect(&thumb);
    pwtest::Snapshot shot(slider);
    EXPECT_EQ(shot.Pixel(channel.left + 8, channel.top + 2), ::GetSysColor(COLOR_BTNFACE));
    // No grip: the thumb's face where the first light and dark lines would be.
    EXPECT_EQ(shot.Pixel(thumb.left + 1, thumb.top + 8), kLight1) << "bevel stays";
    EXPECT_EQ(shot.Pixel(thumb.left + 2, thumb.top + 8), kFace);
    EXPECT_EQ(shot.Pixel(thumb.left + 3, thumb.top + 8), kFace);
    EXPECT_EQ(shot.Pixel(thumb.left + 2, thumb.top + 4), kFace);
    std::printf("channel %ld,%ld-%ld,%ld\n", channel.left, channel.top, channel.right, channel.bottom);
}

TEST_F(TempoSliderTest, SelectionBandFillsOnlyItsStretch) {
    CreateSlider(TBS_AUTOTICKS | TBS_ENABLESELRANGE);
    slider.SetChannelColour(RGB(0, 0, 0));
    slider.SetSelectionColour(RGB(255, 0, 0));
    RECT channel{};
    slider.GetChannelRect(&channel);
    const int y = channel.top + 2;
    {
        pwtest::Snapshot shot(slider);
        for (int x = channel.left + 3; x < channel.right - 3; x += 7)
            EXPECT_NE(shot.Pixel(x, y), RGB(255, 0, 0)) << "nothing selected, x " << x;
    }
    slider.SetSelection(30, 120);
    auto span = skin::SelectionSpan(30, 120, 30, 300, channel.left, channel.right - channel.left);
    ASSERT_TRUE(span);
    pwtest::Snapshot shot(slider);
    EXPECT_EQ(shot.Pixel(span->begin + 2, y), RGB(255, 0, 0));
    EXPECT_EQ(shot.Pixel(span->end - 3, y), RGB(255, 0, 0));
    EXPECT_EQ(shot.Pixel(span->end - 2, y), RGB(0, 0, 0));
    EXPECT_EQ(shot.Pixel(span->begin + 2, channel.top + 1), DarkShadowMid());
}

TEST_F(TempoSliderTest, PageKeysGoToTheParentAndLeaveThePosition) {
    CreateSlider();
    // A plain trackbar pages on the same key: the slider must not.
    HWND plain = ::CreateWindowExA(0, TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 100, 200, 30, parent,
                                   nullptr, nullptr, nullptr);
    ::SendMessageA(plain, TBM_SETRANGE, TRUE, MAKELPARAM(30, 300));
    ::SendMessageA(plain, TBM_SETPOS, TRUE, 200);
    ::SendMessageA(plain, WM_KEYDOWN, VK_PRIOR, 0x01490001);
    ASSERT_NE(::SendMessageA(plain, TBM_GETPOS, 0, 0), 200);

    slider.SendMessage(WM_KEYDOWN, VK_PRIOR, 0x01490001);
    ASSERT_EQ(parent.received.size(), 1u);
    EXPECT_EQ(parent.received[0].msg, WM_SLIDER_PUSH_PGUP);
    EXPECT_EQ(parent.received[0].wp, 0u);
    EXPECT_EQ(parent.received[0].lp, 0);
    EXPECT_EQ(slider.GetPos(), 200);

    slider.SendMessage(WM_KEYDOWN, VK_NEXT, 0x01510001);
    ASSERT_EQ(parent.received.size(), 2u);
    EXPECT_EQ(parent.received[1].msg, WM_SLIDER_PUSH_PGDOWN);
    EXPECT_EQ(slider.GetPos(), 200);

    // Other keys still move the thumb.
    slider.SendMessage(WM_KEYDOWN, VK_RIGHT, 0x014D0001);
    EXPECT_EQ(slider.GetPos(), 201);
    EXPECT_EQ(parent.received.size(), 2u);
}

class HoverTest : public TempoSliderTest {
protected:
    void SetUp() override {
        TempoSliderTest::SetUp();
        CreateSlider();
        ASSERT_TRUE(button.CreateEx(0, "BUTTON", "other", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                                    RECT{10, 120, 110, 150}, &parent, 1));
        pwtest::Activate(parent);
        button.SetFocus();
        ASSERT_EQ(::GetFocus(), button.m_hWnd);
    }

    void MoveOverSlider(bool inside) {
        RECT rc;
        slider.GetWindowRect(&rc);
        ::SetCursorPos(inside ? (rc.left + rc.right) / 2 : rc.right + 40,
                       inside ? (rc.top + rc.bottom) / 2 : rc.bottom + 60);
        slider.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, 10));
    }

    CWnd button;
};

TEST_F(HoverTest, RestingOnTheSliderGivesItTheFocusAfter100Ms) {
    auto start = std::chrono::steady_clock::now();
    MoveOverSlider(true);
    EXPECT_EQ(::GetFocus(), button.m_hWnd) << "not at once";
    ASSERT_TRUE(pwtest::PumpUntil([&] { return ::GetFocus() == slider.m_hWnd; }, 3s));
    auto waited = std::chrono::steady_clock::now() - start;
    std::printf(
        "focus after %lld ms\n",
        static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(waited).count()));
    EXPECT_GE(waited, 90ms);
    // The timer was ended when it fired.
    EXPECT_FALSE(::KillTimer(slider, CTempoSlider::kHoverTimerId));
}

TEST_F(HoverTest, CursorGoneWhenTheTimerFiresLeavesTheFocus) {
    MoveOverSlider(false);
    pwtest::PumpFor(400ms);
    EXPECT_EQ(::GetFocus(), button.m_hWnd);
    EXPECT_FALSE(::KillTimer(slider, CTempoSlider::kHoverTimerId)) << "ended, not repeating";
}

TEST_F(HoverTest, NoTimerWhileTheSliderHasTheFocus) {
    MoveOverSlider(true);
    EXPECT_TRUE(::KillTimer(slider, CTempoSlider::kHoverTimerId)) << "started without the focus";
    slider.SetFocus();
    MoveOverSlider(true);
    EXPECT_FALSE(::KillTimer(slider, CTempoSlider::kHoverTimerId));
}

TEST_F(TempoSliderTest, MainWindowLookScreenshot) {
    CreateSlider();
    slider.SetFaceColour(kWhite);
    slider.SetSelectionColour(RGB(0, 0, 0));
    slider.SetChannelColour(RGB(0, 0, 0));
    pwtest::Snapshot shot(slider);
    EXPECT_TRUE(shot.Save(pwtest::ScreenshotPath("tempo_slider").c_str()));
    slider.SetFaceColour(kFace);
    pwtest::Snapshot coloured(slider);
    EXPECT_TRUE(coloured.Save(pwtest::ScreenshotPath("tempo_slider_coloured").c_str()));
}

} // namespace
