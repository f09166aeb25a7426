// The hyperlink label on a real static control: the font made on the first
// paint, the whole text in any face, the hand over the text only, the shell's
// "open" of its target (seen through the replaceable shell call) and notify
// mode.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "FontReplacement.h"
#include "WinTest.h"
#include "framework/Gdi.h"
#include "skin/HyperlinkBtn.h"
#include "skin_support/SkinTest.h"

using namespace std::chrono_literals;

namespace {

struct ShellCall {
    HWND owner;
    std::string verb;
    std::string file;
    bool parameters;
    bool directory;
    int show;
};
std::vector<ShellCall> g_calls;

HINSTANCE WINAPI RecordShell(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                             INT show) {
    g_calls.push_back(ShellCall{owner, verb ? verb : "", file ? file : "", parameters != nullptr,
                                directory != nullptr, show});
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
}

class TestLink : public CHyperlinkBtn {
public:
    using CHyperlinkBtn::m_bFontCreated;
    using CHyperlinkBtn::m_bHover;
    using CHyperlinkBtn::m_bMeasured;
    using CHyperlinkBtn::m_hArrow;
    using CHyperlinkBtn::m_hHand;
    using CHyperlinkBtn::m_sizeText;
    using CHyperlinkBtn::m_strText;
    using CHyperlinkBtn::MeasureText;
};

LPARAM At(int x, int y) {
    return MAKELPARAM(x, y);
}

class HyperlinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        m_previous = g_pfnShellExecute;
        g_pfnShellExecute = RecordShell;
        parent.watched = {WM_PUSHED_HYPERLINKBTN};
        ASSERT_TRUE(parent.Create());
        // A hidden label has not been painted yet.
        m_static = ::CreateWindowExA(0, "STATIC", "Website", WS_CHILD | SS_LEFT, 20, 30, 160, 40, parent,
                                     reinterpret_cast<HMENU>(1005), nullptr, nullptr);
        ASSERT_TRUE(m_static);
        ASSERT_TRUE(link.SubclassWindow(m_static));
        link.SetURL("http://www.example.org/pulsewick");
    }
    void TearDown() override { g_pfnShellExecute = m_previous; }

    void PaintOnce() {
        link.ShowWindow(SW_SHOW);
        link.UpdateWindow();
        ASSERT_TRUE(link.m_bFontCreated);
    }

    skintest::RecordingParent parent;
    TestLink link;
    HWND m_static = nullptr;

private:
    ShellExecuteFn m_previous = nullptr;
};

TEST_F(HyperlinkTest, BindingTakesTheTextAndTheNotifyStyle) {
    EXPECT_EQ(link.m_strText, "Website");
    EXPECT_TRUE(link.GetStyle() & SS_NOTIFY);
    EXPECT_FALSE(link.m_bMeasured);
    EXPECT_FALSE(link.m_bFontCreated);
}

TEST_F(HyperlinkTest, BeforeTheFirstPaintAClickOpensNothing) {
    link.SendMessage(WM_MOUSEMOVE, 0, At(2, 2));
    link.SendMessage(WM_MOUSEMOVE, 0, At(3, 3));
    EXPECT_EQ(::GetCursor(), link.m_hArrow);
    link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(3, 3));
    link.SendMessage(WM_LBUTTONUP, 0, At(3, 3));
    EXPECT_TRUE(g_calls.empty());
    EXPECT_FALSE(link.m_bMeasured);
}

TEST_F(HyperlinkTest, ClickOnTheTextOpensTheUrlThroughTheShell) {
    PaintOnce();
    EXPECT_FALSE(link.m_bMeasured) << "measured at first use, not at paint";
    link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(3, 3));
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].verb, "open");
    EXPECT_EQ(g_calls[0].file, "http://www.example.org/pulsewick");
    EXPECT_FALSE(g_calls[0].parameters);
    EXPECT_FALSE(g_calls[0].directory);
    EXPECT_EQ(g_calls[0].show, SW_SHOWNORMAL);
    EXPECT_TRUE(parent.received.empty());
}

TEST_F(HyperlinkTest, TextIsMeasuredWithArial12) {
    PaintOnce();
    link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(100, 35));
    ASSERT_TRUE(link.m_bMeasured);
    CFont arial;
    ASSERT_TRUE(arial.CreateFont(12));
    HDC screen = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(screen, arial);
    SIZE expected{};
    ::GetTextExtentPoint32A(screen, "Website", 7, &expected);
    ::SelectObject(screen, old);
    ::ReleaseDC(nullptr, screen);
    EXPECT_EQ(link.m_sizeText.cx, expected.cx);
    EXPECT_EQ(link.m_sizeText.cy, expected.cy);
    EXPECT_GT(expected.cx, 20);
    EXPECT_LT(expected.cx, 160) << "the control is wider than its text";
}

constexpr char kLongText[] = "Website : example.org/pulsewick";

RECT RectInParent(HWND hwnd) {
    RECT rc;
    ::GetWindowRect(hwnd, &rc);
    ::MapWindowPoints(nullptr, ::GetParent(hwnd), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// Whatever face the system draws Arial in: a label whose room is too narrow
// for its text draws it whole in a smaller font, and the hand shows over all
// of it.
TEST_F(HyperlinkTest, NarrowLabelShowsItsWholeTextInASmallerFont) {
    const LONG full = pwtest::MeasureFont("Arial", 12, {kLongText}).widths.at(0);
    HWND narrow = ::CreateWindowExA(0, "STATIC", kLongText, WS_CHILD | WS_VISIBLE | SS_LEFT, 20, 80, 120, 16,
                                    parent, nullptr, nullptr, nullptr);
    TestLink small;
    ASSERT_TRUE(small.SubclassWindow(narrow));
    small.UpdateWindow();
    small.MeasureText();
    ASSERT_TRUE(small.m_bMeasured);
    std::printf("\"%s\": %ld px at 12 pixels, %ld px in a label 120 px wide\n", kLongText, full,
                small.m_sizeText.cx);
    EXPECT_GT(full, 120);
    EXPECT_LE(small.m_sizeText.cx, 120);
    EXPECT_GT(small.m_sizeText.cx, 90) << "no smaller than it has to be";
}

// FitToText widens a label to its text up to a gap before the control to its
// right, or before the parent's edge; beyond that room the font gets smaller.
TEST_F(HyperlinkTest, FitToTextWidensTheLabelWithinItsRoom) {
    const LONG full = pwtest::MeasureFont("Arial", 12, {kLongText}).widths.at(0);
    RECT client;
    parent.GetClientRect(&client);
    // A label 40 pixels wide at (x, y), with a control at nextLeft unless 0.
    auto fit = [&](int x, int y, int nextLeft, TestLink& label) {
        HWND hwnd = ::CreateWindowExA(0, "STATIC", kLongText, WS_CHILD | WS_VISIBLE | SS_LEFT, x, y, 40, 16,
                                      parent, nullptr, nullptr, nullptr);
        EXPECT_TRUE(label.SubclassWindow(hwnd));
        HWND next = nextLeft ? ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, nextLeft, y, 20, 16,
                                                 parent, nullptr, nullptr, nullptr)
                             : nullptr;
        label.FitToText(next);
        label.UpdateWindow();
        label.MeasureText();
        return RectInParent(hwnd);
    };
    TestLink roomy, cramped, atTheEdge;
    RECT rc = fit(20, 60, 360, roomy);
    EXPECT_EQ(rc.right - rc.left, full) << "as wide as its text";
    EXPECT_EQ(roomy.m_sizeText.cx, full);

    rc = fit(20, 80, 130, cramped);
    EXPECT_GT(rc.right - rc.left, 40);
    EXPECT_LT(rc.right, 130) << "a gap before the next control";
    EXPECT_LE(cramped.m_sizeText.cx, rc.right - rc.left) << "the whole text in a smaller font";

    rc = fit(client.right - 100, 100, 0, atTheEdge);
    EXPECT_GT(rc.right - rc.left, 40);
    EXPECT_LT(rc.right, client.right);
    EXPECT_LE(atTheEdge.m_sizeText.cx, rc.right - rc.left);
}

TEST_F(HyperlinkTest, ClickBesideTheTextOpensNothing) {
    PaintOnce();
    link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(2, 2));
    ASSERT_EQ(g_calls.size(), 1u);
    const SIZE text = link.m_sizeText;
    g_calls.clear();
    link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(text.cx, 2));
    link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(2, text.cy));
    link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(150, 35));
    EXPECT_TRUE(g_calls.empty());
    link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(text.cx - 1, text.cy - 1));
    EXPECT_EQ(g_calls.size(), 1u);
}

TEST_F(HyperlinkTest, NotifyModeTellsTheParentOnAClickAnywhere) {
    link.m_bNotifyParent = TRUE;
    // Even before any paint, and beside the text.
    link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(150, 35));
    PaintOnce();
    link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(2, 2));
    ASSERT_EQ(parent.received.size(), 2u);
    for (const skintest::Received& r : parent.received) {
        EXPECT_EQ(r.msg, WM_PUSHED_HYPERLINKBTN);
        EXPECT_EQ(r.wp, reinterpret_cast<WPARAM>(static_cast<CHyperlinkBtn*>(&link)));
        EXPECT_EQ(r.lp, 0);
    }
    EXPECT_TRUE(g_calls.empty());
}

int CountColour(const pwtest::Snapshot& shot, COLORREF colour) {
    int n = 0;
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = 0; x < shot.Width(); ++x)
            n += shot.Pixel(x, y) == colour;
    return n;
}

TEST_F(HyperlinkTest, HoverTurnsBlueAndShowsTheHandOverTheTextOnly) {
    link.m_crNormal = RGB(200, 0, 0);
    link.m_crHover = RGB(0, 0, 255);
    PaintOnce();
    {
        pwtest::Snapshot shot(link);
        EXPECT_GT(CountColour(shot, RGB(200, 0, 0)), 10);
        EXPECT_EQ(CountColour(shot, RGB(0, 0, 255)), 0);
    }
    RECT rc;
    link.GetWindowRect(&rc);
    ::SetCursorPos(rc.left + 3, rc.top + 3);

    ::SetCursor(link.m_hArrow);
    link.SendMessage(WM_MOUSEMOVE, 0, At(3, 3));
    EXPECT_TRUE(link.m_bHover);
    EXPECT_EQ(::GetCursor(), link.m_hArrow) << "the first move only starts the hover";
    {
        pwtest::Snapshot shot(link);
        EXPECT_GT(CountColour(shot, RGB(0, 0, 255)), 10);
        EXPECT_EQ(CountColour(shot, RGB(200, 0, 0)), 0);
    }
    link.SendMessage(WM_MOUSEMOVE, 0, At(3, 3));
    EXPECT_EQ(::GetCursor(), link.m_hHand);
    link.SendMessage(WM_MOUSEMOVE, 0, At(150, 35));
    EXPECT_EQ(::GetCursor(), link.m_hArrow);
    link.SendMessage(WM_MOUSEMOVE, 0, At(3, 3));
    EXPECT_EQ(::GetCursor(), link.m_hHand);

    link.SendMessage(WM_MOUSELEAVE);
    EXPECT_FALSE(link.m_bHover);
    EXPECT_EQ(::GetCursor(), link.m_hArrow);
    pwtest::Snapshot shot(link);
    EXPECT_GT(CountColour(shot, RGB(200, 0, 0)), 10);
    EXPECT_EQ(CountColour(shot, RGB(0, 0, 255)), 0);
}

TEST_F(HyperlinkTest, LeavingTheControlIsReportedByThePlatform) {
    PaintOnce();
    skintest::Activate(parent);
    RECT rc;
    link.GetWindowRect(&rc);
    ::SetCursorPos(rc.left + 3, rc.top + 3);
    link.SendMessage(WM_MOUSEMOVE, 0, At(3, 3));
    ASSERT_TRUE(link.m_bHover);
    ::SetCursorPos(rc.right + 50, rc.bottom + 50);
    EXPECT_TRUE(pwtest::PumpUntil([&] { return !link.m_bHover; }, 3s));
}

TEST_F(HyperlinkTest, DestroyReleasesTheFont) {
    PaintOnce();
    ASSERT_TRUE(link.m_bFontCreated);
    ::DestroyWindow(m_static);
    EXPECT_FALSE(link.m_bFontCreated);
}

} // namespace
