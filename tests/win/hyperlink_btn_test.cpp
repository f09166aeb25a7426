// The hyperlink label on a real static control: the font made on the first
// paint, the whole text in any face, the hand over the text only, the shell's
// "open" of its target (seen through the replaceable shell call) and notify
// mode.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "FontReplacement.h"
#include "RecordingParent.h"
#include "WinTest.h"
#include "framework/Gdi.h"
#include "skin/HyperlinkBtn.h"

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

// Records the calls instead of opening anything.
class RecordingShell final : public CHyperlinkBtn::IShell {
public:
    void Execute(HWND owner, const char* verb, const char* file, const char* parameters,
                 const char* directory, int show) override {
        g_calls.push_back(ShellCall{owner, verb ? verb : "", file ? file : "", parameters != nullptr,
                                    directory != nullptr, show});
    }
};

LPARAM At(int x, int y) {
    return MAKELPARAM(x, y);
}

const HCURSOR kArrow = ::LoadCursorA(nullptr, IDC_ARROW);
const HCURSOR kHand = ::LoadCursorA(nullptr, IDC_HAND);

// Whether a click at (x, y) of the link opens its target.
bool OpensAt(CHyperlinkBtn& link, int x, int y) {
    const size_t before = g_calls.size();
    link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
    return g_calls.size() > before;
}

// The extent of a text in the links' font where it has room: Arial, 12 pixels.
SIZE Arial12Extent(const char* text) {
    CFont arial;
    EXPECT_TRUE(arial.CreateFont(12));
    CClientDC screen(nullptr);
    CSelectObject select(screen, arial);
    SIZE extent{};
    ::GetTextExtentPoint32A(screen, text, static_cast<int>(std::strlen(text)), &extent);
    return extent;
}

int CountColour(const pwtest::Canvas& shot, COLORREF colour) {
    int n = 0;
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = 0; x < shot.Width(); ++x)
            n += shot.Pixel(x, y) == colour;
    return n;
}

class HyperlinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        parent.watched = {WM_PUSHED_HYPERLINKBTN};
        ASSERT_TRUE(parent.Create());
        // A hidden label has not been painted yet.
        m_static = ::CreateWindowExA(0, "STATIC", "Website", WS_CHILD | SS_LEFT, 20, 30, 160, 40, parent,
                                     reinterpret_cast<HMENU>(1005), nullptr, nullptr);
        ASSERT_TRUE(m_static);
        ASSERT_TRUE(link.SubclassWindow(m_static));
        link.SetURL("http://www.example.org/pulsewick");
    }

    void PaintOnce() {
        link.ShowWindow(SW_SHOW);
        link.UpdateWindow();
    }

    // A shown label of this text and place bound to label and painted.
    HWND Bind(CHyperlinkBtn& label, const char* text, int x, int y, int width) {
        HWND hwnd = ::CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE | SS_LEFT, x, y, width, 16,
                                      parent, nullptr, nullptr, nullptr);
        EXPECT_TRUE(label.SubclassWindow(hwnd));
        label.SetURL("http://www.example.org/pulsewick");
        return hwnd;
    }

    // The link shows the hover colour.
    bool ShowsHover() { return CountColour(pwtest::Snapshot(link), link.m_crHover) > 10; }

    pwtest::RecordingParent parent;
    RecordingShell shell;
    CHyperlinkBtn link{shell};
    HWND m_static = nullptr;
};

TEST_F(HyperlinkTest, BindingTakesTheTextAndTheNotifyStyle) {
    EXPECT_TRUE(link.GetStyle() & SS_NOTIFY);
    PaintOnce();
    // The label's text, drawn in the link colour, where the text is.
    link.m_crNormal = RGB(200, 0, 0);
    pwtest::Snapshot shot(link);
    EXPECT_GT(CountColour(shot, RGB(200, 0, 0)), 10);
    const SIZE text = Arial12Extent("Website");
    int outside = 0;
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = 0; x < shot.Width(); ++x)
            outside += (x >= text.cx || y >= text.cy) && shot.Pixel(x, y) == RGB(200, 0, 0);
    EXPECT_EQ(outside, 0);
}

TEST_F(HyperlinkTest, BeforeTheFirstPaintAClickOpensNothing) {
    link.SendMessage(WM_MOUSEMOVE, 0, At(2, 2));
    link.SendMessage(WM_MOUSEMOVE, 0, At(3, 3));
    EXPECT_EQ(::GetCursor(), kArrow);
    link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(3, 3));
    link.SendMessage(WM_LBUTTONUP, 0, At(3, 3));
    EXPECT_TRUE(g_calls.empty());
    // Nor is the text measured without the font: after the paint it is.
    PaintOnce();
    EXPECT_TRUE(OpensAt(link, 3, 3));
}

TEST_F(HyperlinkTest, ClickOnTheTextOpensTheUrlThroughTheShell) {
    PaintOnce();
    link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(3, 3));
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].verb, "open");
    EXPECT_EQ(g_calls[0].file, "http://www.example.org/pulsewick");
    EXPECT_FALSE(g_calls[0].parameters);
    EXPECT_FALSE(g_calls[0].directory);
    EXPECT_EQ(g_calls[0].show, SW_SHOWNORMAL);
    EXPECT_TRUE(parent.received.empty());
}

// The text takes as much of the label as Arial 12 gives it, and a click opens
// the link exactly there.
TEST_F(HyperlinkTest, TextIsMeasuredWithArial12) {
    PaintOnce();
    const SIZE expected = Arial12Extent("Website");
    EXPECT_GT(expected.cx, 20);
    EXPECT_LT(expected.cx, 160) << "the control is wider than its text";
    EXPECT_FALSE(OpensAt(link, 100, 35));
    EXPECT_TRUE(OpensAt(link, expected.cx - 1, expected.cy - 1));
    EXPECT_FALSE(OpensAt(link, expected.cx, 2));
    EXPECT_FALSE(OpensAt(link, 2, expected.cy));
}

constexpr char kLongText[] = "Website : example.org/pulsewick";

RECT RectInParent(HWND hwnd) {
    RECT rc;
    ::GetWindowRect(hwnd, &rc);
    ::MapWindowPoints(nullptr, ::GetParent(hwnd), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// How wide the link takes its text: the first x from which a click on the
// text's top row opens nothing.
int TextWidth(CHyperlinkBtn& label) {
    int x = 0;
    while (x < 1000 && OpensAt(label, x, 2))
        ++x;
    return x;
}

// Whatever face the system draws Arial in: a label whose room is too narrow
// for its text draws it whole in a smaller font, and the hand shows over all
// of it.
TEST_F(HyperlinkTest, NarrowLabelShowsItsWholeTextInASmallerFont) {
    const LONG full = pwtest::MeasureFont("Arial", 12, {kLongText}).widths.at(0);
    CHyperlinkBtn small{shell};
    Bind(small, kLongText, 20, 80, 120);
    small.UpdateWindow();
    const int width = TextWidth(small);
    std::printf("\"%s\": %ld px at 12 pixels, %d px in a label 120 px wide\n", kLongText, full, width);
    EXPECT_GT(full, 120);
    EXPECT_LE(width, 120);
    EXPECT_GT(width, 90) << "no smaller than it has to be";
}

// FitToText widens a label to its text up to a gap before the control to its
// right, or before the parent's edge; beyond that room the font gets smaller.
TEST_F(HyperlinkTest, FitToTextWidensTheLabelWithinItsRoom) {
    const LONG full = pwtest::MeasureFont("Arial", 12, {kLongText}).widths.at(0);
    RECT client;
    parent.GetClientRect(&client);
    // A label 40 pixels wide at (x, y), with a control at nextLeft unless 0.
    auto fit = [&](int x, int y, int nextLeft, CHyperlinkBtn& label) {
        HWND hwnd = Bind(label, kLongText, x, y, 40);
        HWND next = nextLeft ? ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, nextLeft, y, 20, 16,
                                                 parent, nullptr, nullptr, nullptr)
                             : nullptr;
        label.FitToText(next);
        label.UpdateWindow();
        return RectInParent(hwnd);
    };
    CHyperlinkBtn roomy{shell}, cramped{shell}, atTheEdge{shell};
    RECT rc = fit(20, 60, 360, roomy);
    EXPECT_EQ(rc.right - rc.left, full) << "as wide as its text";
    EXPECT_EQ(TextWidth(roomy), full);

    rc = fit(20, 80, 130, cramped);
    EXPECT_GT(rc.right - rc.left, 40);
    EXPECT_LT(rc.right, 130) << "a gap before the next control";
    EXPECT_LE(TextWidth(cramped), rc.right - rc.left) << "the whole text in a smaller font";

    rc = fit(client.right - 100, 100, 0, atTheEdge);
    EXPECT_GT(rc.right - rc.left, 40);
    EXPECT_LT(rc.right, client.right);
    EXPECT_LE(TextWidth(atTheEdge), rc.right - rc.left);
}

TEST_F(HyperlinkTest, ClickBesideTheTextOpensNothing) {
    PaintOnce();
    EXPECT_TRUE(OpensAt(link, 2, 2));
    const SIZE text = Arial12Extent("Website");
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
    for (const pwtest::Received& r : parent.received) {
        EXPECT_EQ(r.msg, WM_PUSHED_HYPERLINKBTN);
        EXPECT_EQ(r.wp, reinterpret_cast<WPARAM>(static_cast<CHyperlinkBtn*>(&link)));
        EXPECT_EQ(r.lp, 0);
    }
    EXPECT_TRUE(g_calls.empty());
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

    ::SetCursor(kArrow);
    link.SendMessage(WM_MOUSEMOVE, 0, At(3, 3));
    EXPECT_EQ(::GetCursor(), kArrow) << "the first move only starts the hover";
    {
        pwtest::Snapshot shot(link);
        EXPECT_GT(CountColour(shot, RGB(0, 0, 255)), 10);
        EXPECT_EQ(CountColour(shot, RGB(200, 0, 0)), 0);
    }
    link.SendMessage(WM_MOUSEMOVE, 0, At(3, 3));
    EXPECT_EQ(::GetCursor(), kHand);
    link.SendMessage(WM_MOUSEMOVE, 0, At(150, 35));
    EXPECT_EQ(::GetCursor(), kArrow);
    link.SendMessage(WM_MOUSEMOVE, 0, At(3, 3));
    EXPECT_EQ(::GetCursor(), kHand);

    link.SendMessage(WM_MOUSELEAVE);
    EXPECT_EQ(::GetCursor(), kArrow);
    pwtest::Snapshot shot(link);
    EXPECT_GT(CountColour(shot, RGB(200, 0, 0)), 10);
    EXPECT_EQ(CountColour(shot, RGB(0, 0, 255)), 0);
}

TEST_F(HyperlinkTest, LeavingTheControlIsReportedByThePlatform) {
    PaintOnce();
    pwtest::Activate(parent);
    RECT rc;
    link.GetWindowRect(&rc);
    ::SetCursorPos(rc.left + 3, rc.top + 3);
    link.SendMessage(WM_MOUSEMOVE, 0, At(3, 3));
    ASSERT_TRUE(ShowsHover());
    ::SetCursorPos(rc.right + 50, rc.bottom + 50);
    EXPECT_TRUE(pwtest::PumpUntil([&] { return !ShowsHover(); }, 3s));
}

// The font goes with the window: the object bound again makes one for its
// new label, whose room is too narrow for the old one.
TEST_F(HyperlinkTest, DestroyReleasesTheFont) {
    PaintOnce();
    ::DestroyWindow(m_static);
    EXPECT_EQ(link.GetSafeHwnd(), nullptr);
    Bind(link, kLongText, 20, 80, 120);
    link.UpdateWindow();
    EXPECT_LE(TextWidth(link), 120);
}

} // namespace
