// Skin buttons on real windows: transparent drawing, the image for each state,
// hot tracking, clicks and double-clicks, the flash, and focus on disabling.
#include <gtest/gtest.h>

#include <chrono>
#include <utility>
#include <vector>

#include "RecordingParent.h"
#include "WinTest.h"
#include "framework/Gdi.h"
#include "skin/SkinButton.h"

namespace {

using namespace std::chrono_literals;
using Pixels = pwtest::Canvas;

// Images of the main window's custom beat button: all 92 x 38.
constexpr UINT kHot = 150;
constexpr UINT kNormal = 148;
constexpr UINT kDisabled = 177;
constexpr UINT kFlash = 149;

Pixels ResourcePixels(UINT id) {
    Pixels image = pwtest::LoadPicture(id);
    EXPECT_GT(image.Width(), 0) << id;
    return image;
}

// The client area as the button painted it (WM_PRINTCLIENT).
Pixels Printed(HWND hwnd) {
    return pwtest::Snapshot(hwnd);
}

// The client area as it is on the screen now, without repainting it (the
// flash is drawn outside the paint cycle).
Pixels OnScreen(HWND hwnd) {
    return pwtest::Snapshot(hwnd, pwtest::Snapshot::Source::AsShown);
}

// Fraction of the image's opaque pixels that show unchanged at (dx, dy).
double Match(const Pixels& shown, const Pixels& image, int dx, int dy) {
    int opaque = 0;
    int same = 0;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            COLORREF c = image.Pixel(x, y);
            if (c == kSkinButtonKey)
                continue;
            ++opaque;
            if (shown.Pixel(x + dx, y + dy) == c)
                ++same;
        }
    }
    return opaque ? static_cast<double>(same) / opaque : 0.0;
}

// Whether the window's timer still runs: one that does has a tick due when
// its period has passed.
bool TimerRuns(HWND hwnd, UINT_PTR id) {
    ::Sleep(CFlashButton::kFlashMilliseconds + 30);
    MSG msg;
    return ::PeekMessageA(&msg, hwnd, WM_TIMER, WM_TIMER, PM_NOREMOVE) && msg.wParam == id;
}

// Dispatches one queued message for hwnd of the given kind, pretranslated.
bool DispatchNext(HWND hwnd, UINT first, UINT last) {
    MSG msg;
    if (!::PeekMessageA(&msg, hwnd, first, last, PM_REMOVE))
        return false;
    if (!AfxWalkPreTranslateTree(nullptr, &msg))
        ::DispatchMessageA(&msg);
    return true;
}

LPARAM Point(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

class SkinButtonTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 100;
    static constexpr int kHeight = 50;
    // Where a 92 x 38 image lies in the button: centred.
    static constexpr int kDx = (kWidth - 92) / 2;
    static constexpr int kDy = (kHeight - 38) / 2;

    void SetUp() override {
        ::SetCursorPos(0, 0);
        parent.watched = {WM_COMMAND};
        ASSERT_TRUE(parent.Create(RECT{200, 200, 600, 400}, WS_POPUP));
        ::SetForegroundWindow(parent);
        ASSERT_TRUE(Create(button, 1001, 20));
        pwtest::PumpMessages();
    }

    bool Create(CFlashButton& b, UINT id, int x, DWORD extraStyle = 0) {
        if (!b.Create("BUTTON", "", WS_CHILD | WS_VISIBLE | extraStyle, RECT{x, 20, x + kWidth, 20 + kHeight},
                      &parent, id))
            return false;
        b.SetPressStyle(CSkinButton::kPressStill, TRUE);
        b.SetImages(kHot, kSkinButtonKey, kNormal, kSkinButtonKey, kDisabled, kSkinButtonKey, kFlash,
                    kSkinButtonKey);
        b.EnableBorder(FALSE, TRUE);
        b.EnableFocusRect(TRUE, TRUE);
        return true;
    }

    // The ids of the buttons clicked, in order.
    std::vector<UINT> Clicks() const {
        std::vector<UINT> clicks;
        for (const pwtest::Received& r : parent.All(WM_COMMAND)) {
            if (HIWORD(r.wp) == BN_CLICKED)
                clicks.push_back(LOWORD(r.wp));
        }
        return clicks;
    }

    bool ShowsHot() { return Match(Printed(button), ResourcePixels(kHot), kDx, kDy) > 0.999; }

    POINT ScreenCentre(HWND hwnd) const {
        RECT rc;
        ::GetWindowRect(hwnd, &rc);
        return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    }

    pwtest::RecordingParent parent;
    CFlashButton button;
};

TEST(SkinImage, KeyPixelsLeaveTheTargetAndNeighboursAreDrawn) {
    CClientDC screen(nullptr);
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(screen, 4, 1));
    {
        CMemDC dc(screen);
        CSelectObject select(dc, bitmap);
        ::SetPixel(dc, 0, 0, RGB(0, 255, 0));
        ::SetPixel(dc, 1, 0, RGB(0, 254, 0));
        ::SetPixel(dc, 2, 0, RGB(1, 255, 0));
        ::SetPixel(dc, 3, 0, RGB(0, 0, 0));
    }
    CSkinImage image;
    ASSERT_EQ(image.Assign(std::move(bitmap), kSkinButtonKey), CSkinImage::kOk);
    EXPECT_EQ(image.Width(), 4);
    EXPECT_EQ(image.Height(), 1);

    CBitmap target;
    ASSERT_TRUE(target.CreateCompatibleBitmap(screen, 6, 1));
    CMemDC dc(screen);
    CSelectObject select(dc, target);
    for (int x = 0; x < 6; ++x)
        ::SetPixel(dc, x, 0, RGB(10, 20, 200));
    image.Draw(dc, 1, 0);
    EXPECT_EQ(::GetPixel(dc, 0, 0), RGB(10, 20, 200));
    EXPECT_EQ(::GetPixel(dc, 1, 0), RGB(10, 20, 200)) << "the key colour is not drawn";
    EXPECT_EQ(::GetPixel(dc, 2, 0), RGB(0, 254, 0));
    EXPECT_EQ(::GetPixel(dc, 3, 0), RGB(1, 255, 0));
    EXPECT_EQ(::GetPixel(dc, 4, 0), RGB(0, 0, 0)) << "black is opaque";
    EXPECT_EQ(::GetPixel(dc, 5, 0), RGB(10, 20, 200));
}

TEST(SkinImage, MissingResourceIsNoImage) {
    CSkinImage image;
    EXPECT_EQ(image.Load(0, kSkinButtonKey), CSkinImage::kOk);
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_EQ(image.Load(4999, kSkinButtonKey), CSkinImage::kOk);
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.Assign(CBitmap(), kSkinButtonKey), CSkinImage::kCannotMeasure);
}

TEST_F(SkinButtonTest, AttachingMakesTheButtonOwnerDrawn) {
    EXPECT_EQ(button.GetStyle() & 0x1F, static_cast<DWORD>(BS_OWNERDRAW));
    EXPECT_TRUE(button.SendMessage(WM_GETDLGCODE) & DLGC_UNDEFPUSHBUTTON);

    // A template's default push button is bound by subclassing.
    HWND raw = ::CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 150, 20, 92, 38,
                                 parent, reinterpret_cast<HMENU>(1002), nullptr, nullptr);
    CFlashButton bound;
    ASSERT_TRUE(bound.SubclassWindow(raw));
    EXPECT_EQ(bound.GetStyle() & 0x1F, static_cast<DWORD>(BS_OWNERDRAW));
    EXPECT_TRUE(bound.SendMessage(WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON);

    // The dialog manager moves the default; the button stays owner-drawn.
    bound.SendMessage(BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    EXPECT_EQ(bound.GetStyle() & 0x1F, static_cast<DWORD>(BS_OWNERDRAW));
    EXPECT_TRUE(bound.SendMessage(WM_GETDLGCODE) & DLGC_UNDEFPUSHBUTTON);
    bound.SendMessage(BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_EQ(bound.GetStyle() & 0x1F, static_cast<DWORD>(BS_OWNERDRAW));
    EXPECT_TRUE(bound.SendMessage(WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON);
    bound.UnsubclassWindow();
    ::DestroyWindow(raw);
}

TEST_F(SkinButtonTest, GreenShowsTheFaceAndItsNeighbourIsDrawn) {
    Pixels normal = ResourcePixels(kNormal);
    Pixels shown = Printed(button);
    ASSERT_EQ(shown.Width(), kWidth);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    // Around the centred image the face shows.
    EXPECT_EQ(shown.Pixel(0, 0), face);
    EXPECT_EQ(shown.Pixel(kWidth - 1, kHeight - 1), face);
    // Every pair of neighbours where the key meets a drawn pixel, either way round.
    int edges = 0;
    for (int y = 0; y < normal.Height(); ++y) {
        for (int x = 0; x + 1 < normal.Width(); ++x) {
            for (auto [key, drawn] : {std::pair{x, x + 1}, std::pair{x + 1, x}}) {
                if (normal.Pixel(key, y) != kSkinButtonKey || normal.Pixel(drawn, y) == kSkinButtonKey)
                    continue;
                ++edges;
                EXPECT_EQ(shown.Pixel(kDx + key, kDy + y), face) << key << "," << y;
                EXPECT_EQ(shown.Pixel(kDx + drawn, kDy + y), normal.Pixel(drawn, y)) << drawn << "," << y;
            }
        }
    }
    EXPECT_GE(edges, 8);
    EXPECT_GT(Match(shown, normal, kDx, kDy), 0.999);
}

TEST_F(SkinButtonTest, EachStateShowsItsImage) {
    Pixels hot = ResourcePixels(kHot);
    Pixels normal = ResourcePixels(kNormal);
    Pixels disabled = ResourcePixels(kDisabled);
    ASSERT_LT(Match(hot, normal, 0, 0), 0.9);

    EXPECT_GT(Match(Printed(button), normal, kDx, kDy), 0.999);

    // Pressed: the hot image, in place with press style 2.
    button.SendMessage(BM_SETSTATE, TRUE);
    EXPECT_GT(Match(Printed(button), hot, kDx, kDy), 0.999);
    button.SetPressStyle(CSkinButton::kPressShiftRightDown, TRUE);
    EXPECT_GT(Match(Printed(button), hot, kDx + 1, kDy + 1), 0.999);
    button.SetPressStyle(CSkinButton::kPressShiftDown, TRUE);
    EXPECT_GT(Match(Printed(button), hot, kDx, kDy + 2), 0.999);
    EXPECT_EQ(button.SetPressStyle(static_cast<CSkinButton::PressStyle>(7), TRUE), 6);
    EXPECT_GT(Match(Printed(button), hot, kDx, kDy + 2), 0.999) << "an unknown style changes nothing";
    button.SetPressStyle(CSkinButton::kPressStill, TRUE);
    button.SendMessage(BM_SETSTATE, FALSE);

    // Hot while the pointer is over it.
    POINT centre = ScreenCentre(button);
    ::SetCursorPos(centre.x, centre.y);
    ASSERT_TRUE(pwtest::PumpUntil([&] { return ShowsHot(); }, 3s));
    ::SetCursorPos(0, 0);
    ASSERT_TRUE(pwtest::PumpUntil([&] { return !ShowsHot(); }, 3s)) << "leaving clears the hot state";
    EXPECT_GT(Match(Printed(button), normal, kDx, kDy), 0.999);

    button.EnableWindow(FALSE);
    EXPECT_GT(Match(Printed(button), disabled, kDx, kDy), 0.999);
}

TEST_F(SkinButtonTest, WithoutANormalImageTheHotOneShows) {
    ASSERT_EQ(button.SetImages(kHot, kSkinButtonKey, 0, kSkinButtonKey, 0, kSkinButtonKey), 0);
    EXPECT_GT(Match(Printed(button), ResourcePixels(kHot), kDx, kDy), 0.999);
    ASSERT_EQ(button.SetImages(0, kSkinButtonKey, 0, kSkinButtonKey, 0, kSkinButtonKey), 0);
    Pixels shown = Printed(button);
    EXPECT_EQ(shown.Pixel(kWidth / 2, kHeight / 2), ::GetSysColor(COLOR_BTNFACE))
        << "no images: only the face";
}

TEST_F(SkinButtonTest, FocusRectangleLiesAtTheInset) {
    Pixels plain = Printed(button);
    button.SetFocus();
    ASSERT_EQ(::GetFocus(), button.GetSafeHwnd());
    auto changedOnRow = [](const Pixels& a, const Pixels& b, int y) {
        int changed = 0;
        for (int x = 0; x < a.Width(); ++x)
            changed += a.Pixel(x, y) != b.Pixel(x, y);
        return changed;
    };
    Pixels focused = Printed(button);
    EXPECT_GT(changedOnRow(plain, focused, 9), 20);
    EXPECT_EQ(changedOnRow(plain, focused, 8), 0);
    EXPECT_EQ(focused.Pixel(5, 25), plain.Pixel(5, 25));

    button.m_nFocusInset = 0;
    focused = Printed(button);
    EXPECT_GT(changedOnRow(plain, focused, 0), 20);
    button.EnableFocusRect(FALSE, TRUE);
    focused = Printed(button);
    EXPECT_EQ(changedOnRow(plain, focused, 0), 0);
}

TEST_F(SkinButtonTest, DragFromElsewhereDoesNotLightTheButton) {
    button.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, Point(kWidth / 2, kHeight / 2));
    EXPECT_FALSE(ShowsHot());
    button.SendMessage(WM_MOUSEMOVE, 0, Point(kWidth / 2, kHeight / 2));
    EXPECT_TRUE(ShowsHot());
    // Once hot, a press keeps it hot.
    button.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, Point(kWidth / 2, kHeight / 2));
    EXPECT_TRUE(ShowsHot());
    button.SendMessage(WM_CANCELMODE);
    EXPECT_FALSE(ShowsHot());
}

TEST_F(SkinButtonTest, DoubleClickIsTwoClicksAndTwoFlashes) {
    Pixels flash = ResourcePixels(kFlash);
    ASSERT_LT(Match(OnScreen(button), flash, kDx, kDy), 0.9);
    LPARAM inside = Point(kWidth / 2, kHeight / 2);
    button.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, inside);
    button.PostMessage(WM_LBUTTONUP, 0, inside);
    button.PostMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, inside);
    button.PostMessage(WM_LBUTTONUP, 0, inside);

    ASSERT_TRUE(DispatchNext(button, WM_LBUTTONDOWN, WM_LBUTTONDOWN));
    ASSERT_TRUE(DispatchNext(button, WM_LBUTTONUP, WM_LBUTTONUP));
    EXPECT_EQ(Clicks(), std::vector<UINT>{1001});
    EXPECT_GT(Match(OnScreen(button), flash, kDx, kDy), 0.95) << "first flash";

    // End the flash as its timer does, so that only a second flash can bring
    // it back; a repaint meanwhile keeps it.
    ::RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_GT(Match(OnScreen(button), flash, kDx, kDy), 0.95) << "repainted";
    button.SendMessage(WM_TIMER, CFlashButton::kFlashTimerId);
    button.UpdateWindow();
    ASSERT_LT(Match(OnScreen(button), flash, kDx, kDy), 0.9);

    ASSERT_TRUE(DispatchNext(button, WM_LBUTTONDBLCLK, WM_LBUTTONDBLCLK));
    ASSERT_TRUE(DispatchNext(button, WM_LBUTTONUP, WM_LBUTTONUP));
    EXPECT_EQ(Clicks(), (std::vector<UINT>{1001, 1001}));
    EXPECT_GT(Match(OnScreen(button), flash, kDx, kDy), 0.95) << "second flash";
    EXPECT_EQ(::GetFocus(), button.GetSafeHwnd()) << "a click takes the focus";
}

TEST_F(SkinButtonTest, ReleaseOutsideGivesNeitherClickNorFlash) {
    button.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, Point(kWidth / 2, kHeight / 2));
    button.PostMessage(WM_LBUTTONUP, 0, Point(kWidth + 30, -12));
    pwtest::PumpMessages(parent);
    EXPECT_TRUE(Clicks().empty());
    EXPECT_FALSE(TimerRuns(button, CFlashButton::kFlashTimerId));
    EXPECT_LT(Match(OnScreen(button), ResourcePixels(kFlash), kDx, kDy), 0.9);
}

TEST_F(SkinButtonTest, KeyboardClickDoesNotFlash) {
    button.SetFocus();
    button.SendMessage(WM_KEYDOWN, VK_SPACE, 0);
    button.SendMessage(WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0000001));
    EXPECT_EQ(Clicks(), std::vector<UINT>{1001});
    EXPECT_FALSE(TimerRuns(button, CFlashButton::kFlashTimerId));
}

TEST_F(SkinButtonTest, FlashShowsItsImageUntilTheTimerRepaints) {
    Pixels flash = ResourcePixels(kFlash);
    pwtest::PumpMessages();
    auto start = std::chrono::steady_clock::now();
    button.Flash();
    EXPECT_GT(Match(OnScreen(button), flash, kDx, kDy), 0.95);
    ASSERT_TRUE(pwtest::PumpUntil([&] { return Match(OnScreen(button), flash, kDx, kDy) < 0.9; }, 3s));
    auto shown = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(TimerRuns(button, CFlashButton::kFlashTimerId)) << "the flash's timer has ended";
    EXPECT_GE(shown, 100ms) << "the flash stays for its 120 ms";
    EXPECT_GT(Match(OnScreen(button), ResourcePixels(kNormal), kDx, kDy), 0.95) << "the normal image is back";
    std::printf("flash shown for %lld ms\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(shown).count()));
}

TEST_F(SkinButtonTest, FlashOnAHiddenButtonStillEnds) {
    button.ShowWindow(SW_HIDE);
    button.Flash();
    EXPECT_TRUE(TimerRuns(button, CFlashButton::kFlashTimerId));
    pwtest::PumpFor(300ms);
    EXPECT_FALSE(TimerRuns(button, CFlashButton::kFlashTimerId)) << "ended, not repeating";
}

TEST_F(SkinButtonTest, DisablingMovesTheFocusToTheNextTabStop) {
    button.ModifyStyle(0, WS_TABSTOP);
    CFlashButton second;
    ASSERT_TRUE(Create(second, 1002, 130, WS_TABSTOP));
    CFlashButton third;
    ASSERT_TRUE(Create(third, 1003, 240, WS_TABSTOP));

    // Also when another control has the focus.
    third.SetFocus();
    button.SendMessage(WM_MOUSEMOVE, 0, Point(5, 5));
    ASSERT_TRUE(ShowsHot());
    button.EnableWindow(FALSE);
    EXPECT_EQ(::GetFocus(), second.GetSafeHwnd());

    second.EnableWindow(FALSE);
    EXPECT_EQ(::GetFocus(), third.GetSafeHwnd());

    // Nothing left to take it: the parent does.
    third.EnableWindow(FALSE);
    EXPECT_EQ(::GetFocus(), parent.GetSafeHwnd());

    // Disabling left the hot state too.
    button.EnableWindow(TRUE);
    EXPECT_FALSE(ShowsHot());
}

// Wine keeps no per-process GDI count, so each handle is checked.
TEST_F(SkinButtonTest, ImagesAndMasksAreReleased) {
    std::vector<HGDIOBJ> held;
    auto collect = [&](const CFlashButton& b) {
        std::vector<HGDIOBJ> handles;
        for (const CSkinImage* image :
             {&b.GetImage(CSkinButton::kHotImage), &b.GetImage(CSkinButton::kNormalImage),
              &b.GetImage(CSkinButton::kDisabledImage), &b.GetFlashImage()}) {
            handles.push_back(image->BitmapHandle());
            handles.push_back(image->MaskHandle());
        }
        return handles;
    };
    held = collect(button);
    for (HGDIOBJ object : held)
        ASSERT_EQ(::GetObjectType(object), static_cast<DWORD>(OBJ_BITMAP));

    // Replaced images go.
    button.SetImages(kHot, kSkinButtonKey, kNormal, kSkinButtonKey, 0, kSkinButtonKey, 0, kSkinButtonKey);
    for (HGDIOBJ object : held)
        EXPECT_EQ(::GetObjectType(object), 0u);
    EXPECT_TRUE(button.GetImage(CSkinButton::kDisabledImage).IsEmpty());
    EXPECT_TRUE(button.GetFlashImage().IsEmpty());

    // A destroyed button's go too.
    {
        CFlashButton temporary;
        ASSERT_TRUE(Create(temporary, 1004, 150));
        held = collect(temporary);
    }
    for (HGDIOBJ object : held)
        EXPECT_EQ(::GetObjectType(object), 0u);
}

} // namespace
