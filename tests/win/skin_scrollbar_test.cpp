#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <memory>
#include <vector>

#include "RecordingParent.h"
#include "SuiteHost.h"
#include "WinTest.h"
#include "framework/Wnd.h"
#include "skin/SkinScrollBar.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr UINT kChildId = 100;
constexpr int kWidth = 120;

// The scrolled window: records its WM_VSCROLL and, when following, scrolls as
// a real user of the bar would.
class CScrolled : public CWnd {
public:
    struct Event {
        int code;
        int pos;
        Clock::time_point at;
    };
    std::vector<Event> m_events;
    bool m_bFollow = false;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg != WM_VSCROLL)
            return CWnd::WindowProc(msg, wp, lp);
        int code = LOWORD(wp);
        m_events.push_back({code, static_cast<short>(HIWORD(wp)), Clock::now()});
        if (m_bFollow) {
            SCROLLINFO si{};
            si.cbSize = sizeof si;
            si.fMask = SIF_ALL;
            SkinSB_GetScrollInfo(m_hWnd, SB_VERT, &si);
            int pos = si.nPos;
            if (code == SB_PAGEDOWN)
                pos += static_cast<int>(si.nPage);
            else if (code == SB_PAGEUP)
                pos -= static_cast<int>(si.nPage);
            else if (code == SB_LINEDOWN)
                pos += 1;
            else if (code == SB_LINEUP)
                pos -= 1;
            SkinSB_SetScrollPos(m_hWnd, SB_VERT, pos, TRUE);
        }
        return 0;
    }
};

class SkinScrollBarTest : public ::testing::Test {
protected:
    static pwtest::RecordingParent& Host() {
        return pwtest::SuiteHost<pwtest::RecordingParent>::Get(RECT{40, 40, 340, 440});
    }
    static void TearDownTestSuite() { pwtest::SuiteHost<pwtest::RecordingParent>::Release(); }

    void SetUp() override {
        ::SetCursorPos(900, 700);
        m_nArrow = ::GetSystemMetrics(SM_CYVSCROLL);
        m_nBarWidth = ::GetSystemMetrics(SM_CXVSCROLL);
        ASSERT_TRUE(m_host.IsWindow());
        // The parent records the custom-draw notifications and answers the
        // pre-paint stage as told.
        m_host.watched = {WM_NOTIFY};
        m_host.onReceived = [this](const pwtest::Received& r) -> LRESULT {
            const auto* nm = reinterpret_cast<const NMSKINSBCUSTOMDRAW*>(r.lp);
            if (nm->hdr.code != NM_SKINSB_CUSTOMDRAW)
                return 0;
            m_notes.push_back(*nm);
            return nm->dwDrawStage == CDDS_PREPAINT ? m_nPrePaintAnswer : 0;
        };
        // A 200-pixel track between the arrows, inside a one-pixel border.
        int height = 200 + 2 * m_nArrow + 2;
        ASSERT_TRUE(m_child.Create(nullptr, "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL,
                                   RECT{10, 10, 10 + kWidth, 10 + height}, &m_host, kChildId));
        ASSERT_TRUE(SkinSB_Initialize(m_child));
        SetRange(0, 100, 40, 0);
        pwtest::PumpMessages();
        m_notes.clear();
    }

    void TearDown() override {
        ::ReleaseCapture();
        pwtest::PumpMessages();
        m_host.onReceived = nullptr;
    }

    int SetRange(int minimum, int maximum, unsigned page, int pos) {
        return SetRangeOf(m_child, minimum, maximum, page, pos);
    }

    static int SetRangeOf(HWND hwnd, int minimum, int maximum, unsigned page, int pos) {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        si.nMin = minimum;
        si.nMax = maximum;
        si.nPage = page;
        si.nPos = pos;
        return SkinSB_SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
    }

    // Repaints the frame and returns the part notifications of that paint.
    std::vector<NMSKINSBCUSTOMDRAW> PaintParts() {
        m_notes.clear();
        ::RedrawWindow(m_child, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        std::vector<NMSKINSBCUSTOMDRAW> parts;
        for (const auto& nm : m_notes) {
            if (nm.dwDrawStage == CDDS_ITEMPREPAINT)
                parts.push_back(nm);
        }
        return parts;
    }

    static const NMSKINSBCUSTOMDRAW* FindPart(const std::vector<NMSKINSBCUSTOMDRAW>& parts, UINT item) {
        for (const auto& nm : parts) {
            if (nm.uItem == item)
                return &nm;
        }
        return nullptr;
    }

    // A point of a part's rectangle (window coordinates) on the screen.
    POINT ScreenPoint(const RECT& part, int alongOffset) const {
        RECT window;
        ::GetWindowRect(m_child, &window);
        return POINT{window.left + (part.left + part.right) / 2, window.top + part.top + alongOffset};
    }

    // Puts the pointer there first, so that the platform's own pointer
    // position agrees with the message.
    void MouseMove(POINT screen) {
        ::SetCursorPos(screen.x, screen.y);
        POINT client = screen;
        ::ScreenToClient(m_child, &client);
        m_child.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(client.x, client.y));
    }

    void Press(POINT screen) { Press(m_child, screen); }
    static void Press(HWND hwnd, POINT screen, WPARAM hit = HTVSCROLL) {
        ::SetCursorPos(screen.x, screen.y);
        ::SendMessageA(hwnd, WM_NCLBUTTONDOWN, hit, MAKELPARAM(screen.x, screen.y));
    }

    void Release(POINT screen) { Release(m_child, screen); }
    static void Release(HWND hwnd, POINT screen) {
        POINT client = screen;
        ::ScreenToClient(hwnd, &client);
        ::SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    }

    int ClientWidth() const {
        RECT rc;
        ::GetClientRect(m_child, &rc);
        return rc.right;
    }

    pwtest::RecordingParent& m_host = Host();
    LRESULT m_nPrePaintAnswer = CDRF_SKIPDEFAULT;
    std::vector<NMSKINSBCUSTOMDRAW> m_notes;
    CScrolled m_child;
    int m_nArrow = 0;
    int m_nBarWidth = 0;
};

TEST_F(SkinScrollBarTest, AttachesOnceUnderItsProperty) {
    EXPECT_NE(::GetPropA(m_child, "CoolSBSubclassPtr"), nullptr);
    EXPECT_FALSE(SkinSB_Initialize(m_child));
    EXPECT_EQ(SkinSB_GetScrollPos(m_child, SB_VERT), 0);

    EXPECT_TRUE(SkinSB_Uninitialize(m_child));
    EXPECT_EQ(::GetPropA(m_child, "CoolSBSubclassPtr"), nullptr);
    EXPECT_FALSE(SkinSB_Uninitialize(m_child));
    // Without the module the platform's bar answers.
    SkinSB_SetScrollRange(m_child, SB_VERT, 0, 7, FALSE);
    int minimum = -1;
    int maximum = -1;
    ::GetScrollRange(m_child, SB_VERT, &minimum, &maximum);
    EXPECT_EQ(maximum, 7);
}

TEST_F(SkinScrollBarTest, ThumbOf79PixelsOnA200PixelTrackAndPositionsUpTo61) {
    auto parts = PaintParts();
    const NMSKINSBCUSTOMDRAW* thumb = FindPart(parts, 5);
    ASSERT_NE(thumb, nullptr);
    EXPECT_EQ(thumb->rect.bottom - thumb->rect.top, 79);
    EXPECT_EQ(thumb->rect.top, 1 + m_nArrow);

    EXPECT_EQ(SkinSB_SetScrollPos(m_child, SB_VERT, 100, TRUE), 0);
    EXPECT_EQ(SkinSB_GetScrollPos(m_child, SB_VERT), 61);
    parts = PaintParts();
    thumb = FindPart(parts, 5);
    ASSERT_NE(thumb, nullptr);
    EXPECT_EQ(thumb->rect.bottom, 1 + m_nArrow + 200);

    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    ASSERT_TRUE(SkinSB_GetScrollInfo(m_child, SB_VERT, &si));
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 100);
    EXPECT_EQ(si.nPage, 40u);
    EXPECT_EQ(si.nPos, 61);
}

TEST_F(SkinScrollBarTest, OnePartNotificationPerPartInOrderWhenTheParentPaints) {
    m_notes.clear();
    ::RedrawWindow(m_child, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    const auto& notes = m_notes;
    ASSERT_EQ(notes.size(), 7u);
    EXPECT_EQ(notes[0].dwDrawStage, static_cast<DWORD>(CDDS_PREPAINT));
    EXPECT_EQ(notes[6].dwDrawStage, static_cast<DWORD>(CDDS_POSTPAINT));
    const UINT order[] = {0, 2, 3, 5, 1};
    RECT window;
    ::GetWindowRect(m_child, &window);
    for (int i = 0; i < 5; ++i) {
        const auto& nm = notes[static_cast<size_t>(i) + 1];
        EXPECT_EQ(nm.dwDrawStage, static_cast<DWORD>(CDDS_ITEMPREPAINT));
        EXPECT_EQ(nm.uItem, order[i]);
        EXPECT_EQ(nm.uState, static_cast<UINT>(CDIS_DEFAULT));
        EXPECT_EQ(nm.nBar, static_cast<UINT>(SB_VERT));
        EXPECT_EQ(nm.hdr.hwndFrom, m_child.GetSafeHwnd());
        EXPECT_EQ(nm.hdr.idFrom, kChildId);
        EXPECT_NE(nm.hdc, nullptr);
        EXPECT_EQ(nm.rect.right, window.right - window.left - 1);
        EXPECT_EQ(nm.rect.right - nm.rect.left, m_nBarWidth);
    }
    // The parts tile the bar from top to bottom.
    EXPECT_EQ(notes[1].rect.top, 1);
    EXPECT_EQ(notes[1].rect.bottom, 1 + m_nArrow);
    EXPECT_EQ(notes[2].rect.top, notes[1].rect.bottom);
    EXPECT_EQ(notes[2].rect.bottom, notes[4].rect.top);
    EXPECT_EQ(notes[4].rect.bottom, notes[3].rect.top);
    EXPECT_EQ(notes[3].rect.bottom, notes[5].rect.top);
    EXPECT_EQ(notes[5].rect.bottom, window.bottom - window.top - 1);
}

TEST_F(SkinScrollBarTest, WithoutTheParentsAnswerTheModulePaintsItself) {
    m_nPrePaintAnswer = CDRF_DODEFAULT;
    auto parts = PaintParts();
    EXPECT_TRUE(parts.empty());
    ASSERT_EQ(m_notes.size(), 2u);
    EXPECT_EQ(m_notes[1].dwDrawStage, static_cast<DWORD>(CDDS_POSTPAINT));
}

TEST_F(SkinScrollBarTest, EmptyRangeHidesTheBarAndGivesItsRoomBack) {
    int withBar = ClientWidth();
    EXPECT_EQ(withBar, kWidth - 2 - m_nBarWidth);
    EXPECT_EQ(SetRange(0, 0, 0, 0), 0);
    EXPECT_EQ(ClientWidth(), kWidth - 2);
    EXPECT_FALSE(m_child.GetStyle() & WS_VSCROLL);
    SkinSB_SetScrollPos(m_child, SB_VERT, 50, TRUE);
    EXPECT_EQ(SkinSB_GetScrollPos(m_child, SB_VERT), 0);
    RECT window;
    ::GetWindowRect(m_child, &window);
    LRESULT hit = m_child.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(window.right - 5, window.top + 50));
    EXPECT_EQ(hit, HTCLIENT);

    SetRange(0, 100, 40, 0);
    EXPECT_EQ(ClientWidth(), withBar);
    EXPECT_TRUE(m_child.GetStyle() & WS_VSCROLL);
    hit = m_child.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(window.right - 5, window.top + 50));
    EXPECT_EQ(hit, HTVSCROLL);
}

TEST_F(SkinScrollBarTest, HoldingAnArrowScrollsAtOnceThenAfter300MsThenEvery55Ms) {
    auto parts = PaintParts();
    const NMSKINSBCUSTOMDRAW* up = FindPart(parts, 0);
    ASSERT_NE(up, nullptr);
    POINT pt = ScreenPoint(up->rect, m_nArrow / 2);

    Press(pt);
    ASSERT_EQ(m_child.m_events.size(), 1u);
    EXPECT_EQ(m_child.m_events[0].code, SB_LINEUP);
    EXPECT_EQ(::GetCapture(), m_child.GetSafeHwnd());
    pwtest::PumpFor(1000ms);
    Release(pt);
    auto events = m_child.m_events;

    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.back().code, SB_ENDSCROLL);
    size_t repeats = events.size() - 2;
    for (size_t i = 1; i + 1 < events.size(); ++i)
        EXPECT_EQ(events[i].code, SB_LINEUP) << i;
    auto ms = [](Clock::duration d) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
    };
    // Timers come late under load, never early: repeat k is due 300 + 55 k ms
    // after the press (a late tick may be followed by a short gap, so single
    // gaps prove nothing).
    for (size_t k = 1; k <= repeats; ++k) {
        auto due = 300 + 55 * static_cast<long long>(k - 1);
        EXPECT_GE(ms(events[k].at - events[0].at), due - 10) << k;
    }
    printf("repeats in 1 s: %zu (ideal 12), first after %lld ms\n", repeats,
           static_cast<long long>(ms(events[1].at - events[0].at)));
    EXPECT_GE(repeats, 3u);
    EXPECT_LE(repeats, 13u);

    EXPECT_NE(::GetCapture(), m_child.GetSafeHwnd());
    pwtest::PumpFor(200ms);
    EXPECT_EQ(m_child.m_events.size(), events.size());
}

TEST_F(SkinScrollBarTest, PressedPartShowsPressedOnlyWhileThePointerIsOnIt) {
    auto parts = PaintParts();
    POINT down = ScreenPoint(FindPart(parts, 1)->rect, m_nArrow / 2);
    Press(down);
    parts = PaintParts();
    EXPECT_EQ(FindPart(parts, 1)->uState, static_cast<UINT>(CDIS_SELECTED));
    MouseMove(POINT{down.x, down.y - 60});
    parts = PaintParts();
    EXPECT_EQ(FindPart(parts, 1)->uState, static_cast<UINT>(CDIS_DEFAULT));
    size_t before = m_child.m_events.size();
    pwtest::PumpFor(500ms);
    EXPECT_EQ(m_child.m_events.size(), before) << "no repeat while the pointer is off the arrow";
    MouseMove(down);
    pwtest::PumpFor(500ms);
    EXPECT_GT(m_child.m_events.size(), before);
    Release(down);
}

TEST_F(SkinScrollBarTest, HeldPageAreaStopsWhenTheThumbReachesThePointer) {
    m_child.m_bFollow = true;
    SetRange(0, 100, 10, 0);
    auto parts = PaintParts();
    const NMSKINSBCUSTOMDRAW* page = FindPart(parts, 3);
    ASSERT_NE(page, nullptr);
    int along = 1 + m_nArrow + 120;
    POINT pt = ScreenPoint(page->rect, along - page->rect.top);
    Press(pt);
    pwtest::PumpFor(1500ms);
    Release(pt);

    int pos = SkinSB_GetScrollPos(m_child, SB_VERT);
    EXPECT_GT(pos, 0);
    EXPECT_LT(pos, 91);
    parts = PaintParts();
    const NMSKINSBCUSTOMDRAW* thumb = FindPart(parts, 5);
    ASSERT_NE(thumb, nullptr);
    EXPECT_LE(thumb->rect.top, along);
    EXPECT_GT(thumb->rect.bottom, along);
}

TEST_F(SkinScrollBarTest, ThumbDragSnapsBackBeyondTheSnapAreaAndResumes) {
    auto parts = PaintParts();
    const NMSKINSBCUSTOMDRAW* thumb = FindPart(parts, 5);
    ASSERT_NE(thumb, nullptr);
    RECT thumbRect = thumb->rect;
    POINT grab = ScreenPoint(thumbRect, 10);
    RECT window;
    ::GetWindowRect(m_child, &window);
    int barBottom = window.bottom - 1;

    Press(grab);
    EXPECT_TRUE(m_child.m_events.empty());
    MouseMove(POINT{grab.x, grab.y + 30});
    ASSERT_EQ(m_child.m_events.size(), 1u);
    EXPECT_EQ(m_child.m_events[0].code, SB_THUMBTRACK);
    EXPECT_EQ(m_child.m_events[0].pos, 15); // 30 * 61 / 121
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_TRACKPOS | SIF_POS;
    SkinSB_GetScrollInfo(m_child, SB_VERT, &si);
    EXPECT_EQ(si.nTrackPos, 15);
    EXPECT_EQ(si.nPos, 0);
    parts = PaintParts();
    EXPECT_EQ(FindPart(parts, 5)->rect.top, thumbRect.top + 30);
    EXPECT_EQ(FindPart(parts, 5)->uState, static_cast<UINT>(CDIS_SELECTED));

    // 47 pixels below the bar still drags (to the end), 49 snaps back.
    MouseMove(POINT{grab.x, barBottom + 47});
    ASSERT_EQ(m_child.m_events.size(), 2u);
    EXPECT_EQ(m_child.m_events[1].pos, 61);
    MouseMove(POINT{grab.x, barBottom + 49});
    ASSERT_EQ(m_child.m_events.size(), 3u);
    EXPECT_EQ(m_child.m_events[2].pos, 0);
    parts = PaintParts();
    EXPECT_EQ(FindPart(parts, 5)->rect.top, thumbRect.top);

    MouseMove(POINT{grab.x, grab.y + 30});
    ASSERT_EQ(m_child.m_events.size(), 4u);
    EXPECT_EQ(m_child.m_events[3].pos, 15);
    // 25 pixels beside the bar snaps back too.
    MouseMove(POINT{window.right - 1 + 25, grab.y + 30});
    ASSERT_EQ(m_child.m_events.size(), 5u);
    EXPECT_EQ(m_child.m_events[4].pos, 0);
    MouseMove(POINT{window.right - 1 + 22, grab.y + 30});
    ASSERT_EQ(m_child.m_events.size(), 6u);
    EXPECT_EQ(m_child.m_events[5].pos, 15);

    Release(POINT{grab.x, grab.y + 30});
    ASSERT_EQ(m_child.m_events.size(), 8u);
    EXPECT_EQ(m_child.m_events[6].code, SB_THUMBPOSITION);
    EXPECT_EQ(m_child.m_events[6].pos, 15);
    EXPECT_EQ(m_child.m_events[7].code, SB_ENDSCROLL);
    EXPECT_NE(::GetCapture(), m_child.GetSafeHwnd());
}

TEST_F(SkinScrollBarTest, ThumbReleasedUnmovedReportsThePositionAtThePress) {
    SkinSB_SetScrollPos(m_child, SB_VERT, 20, TRUE);
    auto parts = PaintParts();
    POINT grab = ScreenPoint(FindPart(parts, 5)->rect, 5);
    Press(grab);
    Release(grab);
    ASSERT_EQ(m_child.m_events.size(), 2u);
    EXPECT_EQ(m_child.m_events[0].code, SB_THUMBPOSITION);
    EXPECT_EQ(m_child.m_events[0].pos, 20);
    EXPECT_EQ(m_child.m_events[1].code, SB_ENDSCROLL);
}

TEST_F(SkinScrollBarTest, LosingTheCaptureEndsTheRepeat) {
    auto parts = PaintParts();
    POINT pt = ScreenPoint(FindPart(parts, 1)->rect, m_nArrow / 2);
    Press(pt);
    ::ReleaseCapture();
    ASSERT_FALSE(m_child.m_events.empty());
    EXPECT_EQ(m_child.m_events.back().code, SB_ENDSCROLL);
    size_t count = m_child.m_events.size();
    pwtest::PumpFor(500ms);
    EXPECT_EQ(m_child.m_events.size(), count);
}

TEST_F(SkinScrollBarTest, NormalStyleNeverReportsHot) {
    auto parts = PaintParts();
    POINT down = ScreenPoint(FindPart(parts, 1)->rect, m_nArrow / 2);
    ::SetCursorPos(down.x, down.y);
    m_child.SendMessage(WM_NCMOUSEMOVE, HTVSCROLL, MAKELPARAM(down.x, down.y));
    pwtest::PumpFor(100ms);
    parts = PaintParts();
    EXPECT_EQ(FindPart(parts, 1)->uState, static_cast<UINT>(CDIS_DEFAULT));
}

TEST_F(SkinScrollBarTest, DestroyingAPressedWindowEndsThePress) {
    auto parts = PaintParts();
    POINT pt = ScreenPoint(FindPart(parts, 1)->rect, m_nArrow / 2);
    Press(pt);
    HWND hwnd = m_child;
    m_child.DestroyWindow();
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(::GetCapture(), nullptr);
    pwtest::PumpFor(400ms);

    // The next window can be pressed at once: nothing of the old press is left.
    CScrolled next;
    ASSERT_TRUE(next.Create(nullptr, "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL,
                            RECT{10, 10, 10 + kWidth, 10 + 200 + 2 * m_nArrow + 2}, &m_host, kChildId));
    ASSERT_TRUE(SkinSB_Initialize(next));
    SetRangeOf(next, 0, 100, 40, 0);
    Press(next, pt);
    ASSERT_EQ(next.m_events.size(), 1u);
    EXPECT_EQ(next.m_events[0].code, SB_LINEDOWN);
    Release(next, pt);
}

TEST_F(SkinScrollBarTest, MinimumThumbSize) {
    SetRange(0, 10000, 1, 0);
    auto parts = PaintParts();
    const NMSKINSBCUSTOMDRAW* thumb = FindPart(parts, 5);
    ASSERT_NE(thumb, nullptr);
    EXPECT_EQ(thumb->rect.bottom - thumb->rect.top, 6);
}

TEST_F(SkinScrollBarTest, LeftScrollBarStyleMovesTheBarToTheLeft) {
    CScrolled left;
    ASSERT_TRUE(left.CreateEx(WS_EX_LEFTSCROLLBAR, nullptr, "",
                              WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL, RECT{140, 10, 240, 250},
                              &m_host, kChildId + 2));
    ASSERT_TRUE(SkinSB_Initialize(left));
    SetRangeOf(left, 0, 100, 40, 0);
    m_notes.clear();
    ::RedrawWindow(left, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    ASSERT_GE(m_notes.size(), 2u);
    EXPECT_EQ(m_notes[1].rect.left, 1);
    EXPECT_EQ(m_notes[1].rect.right, 1 + m_nBarWidth);
    RECT window;
    left.GetWindowRect(&window);
    EXPECT_EQ(left.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(window.left + 3, window.top + 100)), HTVSCROLL);
    EXPECT_EQ(left.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(window.right - 3, window.top + 100)), HTCLIENT);
}

} // namespace
