#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "RecordingParent.h"
#include "SuiteHost.h"
#include "WinTest.h"
#include "editor/BeatGrid.h"
#include "editor/EditorMessages.h"
#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "model/BeatPattern.h"
#include "skin/SkinScrollBar.h"

using namespace std::chrono_literals;

namespace {

constexpr UINT kGridId = 13;
constexpr int kClientWidth = 330; // five columns of 60 and the step numbers
constexpr int kClientHeight = 300;
constexpr COLORREF kRed = RGB(255, 0, 0);

CBeatCell Cell(int soundId, int reserved = 0) {
    return CBeatCell{GetSoundLabel(soundId), soundId, reserved};
}

CCustomBeat Pattern(int steps, int stepsPerBeat = 4) {
    CCustomBeat pattern;
    pattern.m_nStepsPerBeat = stepsPerBeat;
    for (int t = 0; t < 5; ++t)
        pattern.AddTrack().SetCellCount(steps);
    return pattern;
}

// The scroll bar skin.
COLORREF SkinPixel(int x, int y) {
    static const pwtest::Canvas skin = pwtest::LoadPicture(311);
    return skin.Pixel(x, y);
}

class BeatGridTest : public ::testing::Test {
protected:
    static pwtest::RecordingParent& Host() {
        return pwtest::SuiteHost<pwtest::RecordingParent>::Get(RECT{40, 40, 460, 400});
    }
    static void TearDownTestSuite() { pwtest::SuiteHost<pwtest::RecordingParent>::Release(); }

    void SetUp() override {
        ::SetCursorPos(900, 700);
        ASSERT_TRUE(m_host.IsWindow());
        m_host.watched = {WM_CCBLBALC_CLICKED_BUTTON, WM_NOTIFY};
        m_nBarWidth = ::GetSystemMetrics(SM_CXVSCROLL);
        RECT rect{10, 10, 10 + kClientWidth + m_nBarWidth + 2, 10 + kClientHeight + 2};
        ASSERT_TRUE(m_grid.Create(kGridId, &m_host, rect));
        Settle();
        m_host.received.clear();
    }

    void TearDown() override {
        ::SetCursorPos(900, 700);
        pwtest::PumpMessages();
    }

    static void Settle() {
        pwtest::PumpFor(50ms);
        ::UpdateWindow(Host());
    }

    CTrackColumn& Column(int i) { return pwtest::Child<CTrackColumn>(m_grid, 10 + i); }
    CWnd& StepColumn() { return pwtest::Child<CWnd>(m_grid, 8); }

    // A child's rectangle in the grid's client coordinates.
    RECT ChildRect(HWND child) {
        RECT rc;
        ::GetWindowRect(child, &rc);
        m_grid.ScreenToClient(&rc);
        return rc;
    }

    SCROLLINFO ScrollInfo() {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_ALL;
        SkinSB_GetScrollInfo(m_grid, SB_VERT, &si);
        return si;
    }

    // The bar's rectangle in the grid's window coordinates.
    RECT BarRect() {
        RECT window;
        m_grid.GetWindowRect(&window);
        return RECT{window.right - window.left - 1 - m_nBarWidth, 1, window.right - window.left - 1,
                    window.bottom - window.top - 1};
    }

    COLORREF BarPixel(int x, int y) {
        CWindowDC dc(m_grid);
        return ::GetPixel(dc, x, y);
    }

    void Wheel(int delta) { m_grid.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), 0); }

    // The step number clicks the grid passed on: its window and the step.
    std::vector<pwtest::Received> Clicks() const { return m_host.All(WM_CCBLBALC_CLICKED_BUTTON); }

    // Stands in for the dialog: records what the grid passes on.
    pwtest::RecordingParent& m_host = Host();
    CBeatGrid m_grid;
    int m_nBarWidth = 0;
};

TEST_F(BeatGridTest, CreatesTheColumnsSideBySide) {
    RECT client;
    m_grid.GetClientRect(&client);
    EXPECT_EQ(client.right, kClientWidth);
    EXPECT_EQ(client.bottom, kClientHeight);
    EXPECT_EQ(ChildRect(StepColumn()), (RECT{300, 0, 330, 400}));
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ChildRect(Column(i)), (RECT{60 * i, 0, 60 * i + 60, 400})) << i;
        EXPECT_EQ(Column(i).GetTrack().GetCellCount(), 16);
    }
}

TEST_F(BeatGridTest, SixteenStepsInA300PixelGridScrollUpTo130WithPage30) {
    SCROLLINFO si = ScrollInfo();
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 130);
    EXPECT_EQ(si.nPage, 30u);
    EXPECT_EQ(si.nPos, 0);
}

TEST_F(BeatGridTest, EightStepsScrollUpTo30AndMoveByOnePixelAtMost) {
    m_grid.SetStepCount(8);
    SCROLLINFO si = ScrollInfo();
    EXPECT_EQ(si.nMax, 30);
    EXPECT_EQ(si.nPage, 30u);
    EXPECT_EQ(ChildRect(Column(0)).bottom, 300);
    m_grid.SendMessage(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(ScrollInfo().nPos, 1);
    EXPECT_EQ(ChildRect(Column(0)).top, -1);
}

TEST_F(BeatGridTest, LoweringTheStepCountAndRaisingItAgainLeavesEmptyCells) {
    CCustomBeat pattern = Pattern(16);
    for (int s = 0; s < 16; ++s) {
        pattern.GetTrack(0).GetCell(s) = Cell(129);
        pattern.GetTrack(4).GetCell(s) = Cell(131, s);
    }
    m_grid.SetPattern(pattern);
    m_grid.SetStepCount(8);
    EXPECT_EQ(m_grid.GetState().m_nStepCount, 8);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Column(i).GetTrack().GetCellCount(), 8);
    m_grid.SetStepCount(16);
    CCustomBeat back = m_grid.GetPattern();
    for (int s = 0; s < 16; ++s) {
        EXPECT_EQ(back.GetTrack(0).GetCell(s), s < 8 ? Cell(129) : CBeatCell{}) << s;
        EXPECT_EQ(back.GetTrack(4).GetCell(s), s < 8 ? Cell(131, s) : CBeatCell{}) << s;
    }
    EXPECT_EQ(ScrollInfo().nMax, 130);
}

TEST_F(BeatGridTest, StepCountKeepsTheViewAsFarAsTheNewHeightAllows) {
    m_grid.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 90));
    EXPECT_EQ(ScrollInfo().nPos, 90);
    m_grid.SetStepCount(20);
    EXPECT_EQ(ScrollInfo().nPos, 90);
    EXPECT_EQ(ChildRect(Column(3)).top, -90);
    m_grid.SetStepCount(13);
    EXPECT_EQ(ScrollInfo().nMax, 55);
    EXPECT_EQ(ScrollInfo().nPos, 26);
    EXPECT_EQ(ChildRect(Column(3)).top, -26);
    EXPECT_EQ(ChildRect(StepColumn()).top, -26);
}

TEST_F(BeatGridTest, UnequalTracksAreCutAndPaddedToTrackZero) {
    CCustomBeat pattern;
    pattern.m_nStepsPerBeat = 3;
    pattern.AddTrack().SetCellCount(16);
    pattern.AddTrack().SetCellCount(20);
    pattern.AddTrack().SetCellCount(10);
    pattern.AddTrack().SetCellCount(16);
    pattern.AddTrack();
    pattern.GetTrack(1).GetCell(15) = Cell(140);
    pattern.GetTrack(1).GetCell(19) = Cell(141);
    pattern.GetTrack(2).GetCell(9) = Cell(142, 3);
    m_grid.SetPattern(pattern);
    EXPECT_EQ(m_grid.GetState().m_nStepCount, 16);
    EXPECT_EQ(m_grid.GetState().m_nStepsPerBeat, 3);
    CCustomBeat back = m_grid.GetPattern();
    ASSERT_EQ(back.GetTrackCount(), 5);
    for (int t = 0; t < 5; ++t)
        EXPECT_EQ(back.GetTrack(t).GetCellCount(), 16) << t;
    EXPECT_EQ(back.GetTrack(1).GetCell(15), Cell(140));
    EXPECT_EQ(back.GetTrack(2).GetCell(9), Cell(142, 3));
    EXPECT_EQ(back.GetTrack(2).GetCell(10), CBeatCell{});
    EXPECT_EQ(back.m_nStepsPerBeat, 3);
}

TEST_F(BeatGridTest, PatternWithFewerThanFiveTracksFillsTheRestEmpty) {
    CCustomBeat pattern;
    pattern.AddTrack().SetCellCount(12);
    pattern.AddTrack().SetCellCount(12);
    pattern.GetTrack(1).GetCell(2) = Cell(133);
    m_grid.SetPattern(pattern);
    CCustomBeat back = m_grid.GetPattern();
    ASSERT_EQ(back.GetTrackCount(), 5);
    EXPECT_EQ(back.GetTrack(1).GetCell(2), Cell(133));
    for (int t = 2; t < 5; ++t)
        EXPECT_EQ(back.GetTrack(t).GetCellCount(), 12) << t;
}

TEST_F(BeatGridTest, BuiltPatternEqualsWhatWasLoaded) {
    CCustomBeat pattern = Pattern(24, 6);
    for (int t = 0; t < 5; ++t) {
        for (int s = t; s < 24; s += 3)
            pattern.GetTrack(t).GetCell(s) = Cell(129 + (t * 7 + s) % 22, s * 10 + t);
    }
    pattern.GetTrack(3).GetCell(1) = CBeatCell{"Odd label", 136, -5};
    m_grid.SetPattern(pattern);
    EXPECT_EQ(m_grid.GetPattern(), pattern);
    EXPECT_EQ(ScrollInfo().nMax, 24 * 25 - 300 + 30);
}

TEST_F(BeatGridTest, OneWheelNotchMoves12PixelsWhateverTheDelta) {
    Wheel(-120);
    EXPECT_EQ(ScrollInfo().nPos, 12);
    EXPECT_EQ(ChildRect(Column(0)).top, -12);
    EXPECT_EQ(ChildRect(StepColumn()).top, -12);
    Wheel(-480);
    EXPECT_EQ(ScrollInfo().nPos, 24);
    Wheel(-1);
    EXPECT_EQ(ScrollInfo().nPos, 36);
    Wheel(360);
    EXPECT_EQ(ScrollInfo().nPos, 24);
    Wheel(1);
    Wheel(1);
    Wheel(1);
    EXPECT_EQ(ScrollInfo().nPos, 0);
    EXPECT_EQ(ChildRect(Column(4)).top, 0);
}

TEST_F(BeatGridTest, LineAndPageRequestsAndTheirLimits) {
    m_grid.SendMessage(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(ScrollInfo().nPos, 12);
    m_grid.SendMessage(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(ScrollInfo().nPos, 42);
    m_grid.SendMessage(WM_VSCROLL, SB_LINEUP);
    EXPECT_EQ(ScrollInfo().nPos, 30);
    m_grid.SendMessage(WM_VSCROLL, SB_ENDSCROLL);
    EXPECT_EQ(ScrollInfo().nPos, 30);
    for (int i = 0; i < 6; ++i)
        m_grid.SendMessage(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(ScrollInfo().nPos, 101);
    EXPECT_EQ(ChildRect(Column(2)).top, -101);
    EXPECT_EQ(ChildRect(Column(2)).bottom, 299) << "the last step ends inside the view";
    m_grid.SendMessage(WM_VSCROLL, SB_PAGEUP);
    EXPECT_EQ(ScrollInfo().nPos, 71);
    EXPECT_EQ(ChildRect(Column(2)).top, -71);
}

TEST_F(BeatGridTest, DraggingTheSkinnedThumbScrollsTheColumns) {
    RECT bar = BarRect();
    RECT window;
    m_grid.GetWindowRect(&window);
    int arrow = ::GetSystemMetrics(SM_CYVSCROLL);
    POINT grab{window.left + (bar.left + bar.right) / 2, window.top + bar.top + arrow + 5};
    ::SetCursorPos(grab.x, grab.y);
    m_grid.SendMessage(WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(grab.x, grab.y));
    POINT to{grab.x, grab.y + 60};
    ::SetCursorPos(to.x, to.y);
    POINT client = to;
    m_grid.ScreenToClient(&client);
    m_grid.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(client.x, client.y));
    int pos = ScrollInfo().nPos;
    EXPECT_GT(pos, 20);
    EXPECT_EQ(ChildRect(Column(0)).top, -pos);
    m_grid.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    EXPECT_EQ(ScrollInfo().nPos, pos);
    EXPECT_EQ(ChildRect(Column(0)).top, -pos);
}

TEST_F(BeatGridTest, ColumnsAskForTheFocusSoThatTheWheelScrolls) {
    ::SetFocus(m_host);
    CTrackColumn& column = Column(1);
    POINT pt{30, 40};
    POINT screen = pt;
    column.ClientToScreen(&screen);
    ::SetCursorPos(screen.x, screen.y);
    column.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
    EXPECT_EQ(::GetFocus(), m_grid.GetSafeHwnd());

    ::SetFocus(m_host);
    m_grid.SendMessage(WM_NCMOUSEMOVE, HTVSCROLL, 0);
    EXPECT_EQ(::GetFocus(), m_grid.GetSafeHwnd());
}

TEST_F(BeatGridTest, StepNumberClicksReachTheDialogOnlyWhilePlaying) {
    CWnd& numbers = StepColumn();
    numbers.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5 * 25 + 3));
    EXPECT_TRUE(Clicks().empty());
    m_grid.SetPlaying(true);
    numbers.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5 * 25 + 3));
    ASSERT_EQ(Clicks().size(), 1u);
    EXPECT_EQ(Clicks()[0].wp, reinterpret_cast<WPARAM>(m_grid.GetSafeHwnd()));
    EXPECT_EQ(Clicks()[0].lp, 5);
    m_grid.SetPlaying(false);
    numbers.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5 * 25 + 3));
    EXPECT_EQ(Clicks().size(), 1u);
}

TEST_F(BeatGridTest, HighlightMovesFromRowToRowInEveryColumn) {
    auto marked = [this](int row) {
        int count = 0;
        for (int i = 0; i < 5; ++i) {
            const pwtest::Snapshot screen(Column(i), pwtest::Snapshot::Source::AsShown);
            count += screen.Pixel(20, 25 * row) == kRed && screen.Pixel(20, 25 * row + 24) == kRed;
        }
        return count;
    };
    m_grid.SetHighlight(2);
    EXPECT_EQ(marked(2), 5);
    m_grid.SetHighlight(3);
    EXPECT_EQ(marked(3), 5);
    Settle();
    EXPECT_EQ(marked(2), 0);
    EXPECT_EQ(marked(3), 5);
    m_grid.ClearHighlight();
    Settle();
    EXPECT_EQ(marked(3), 0);
}

TEST_F(BeatGridTest, StepCellsAreCopiesOfOneRowLeftToRight) {
    CCustomBeat pattern = Pattern(16);
    for (int t = 0; t < 5; ++t)
        pattern.GetTrack(t).GetCell(6) = Cell(129 + t, t);
    m_grid.SetPattern(pattern);
    CBeatTrack cells = m_grid.GetStepCells(6);
    ASSERT_EQ(cells.GetCellCount(), 5);
    for (int t = 0; t < 5; ++t)
        EXPECT_EQ(cells.GetCell(t), Cell(129 + t, t)) << t;
    EXPECT_EQ(m_grid.GetStepCells(7), Pattern(5).GetTrack(0));
}

TEST_F(BeatGridTest, ClearEmptiesEveryCellAndKeepsTheCounts) {
    CCustomBeat pattern = Pattern(20, 5);
    pattern.GetTrack(0).GetCell(0) = Cell(129);
    pattern.GetTrack(4).GetCell(19) = Cell(150, 1);
    m_grid.SetPattern(pattern);
    m_grid.Clear();
    EXPECT_EQ(m_grid.GetPattern(), Pattern(20, 5));
    EXPECT_EQ(m_grid.GetState().m_nStepCount, 20);
    EXPECT_EQ(m_grid.GetState().m_nStepsPerBeat, 5);
}

TEST_F(BeatGridTest, TheBarIsDrawnFromTheSkinThroughTheReflectedNotification) {
    ASSERT_NE(SkinPixel(0, 0), CLR_INVALID) << "skin bitmap 311";
    ::RedrawWindow(m_grid, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(m_host.Count(WM_NOTIFY), 0) << "the grid takes its bar's notifications itself";

    RECT bar = BarRect();
    int width = bar.right - bar.left;
    int arrow = ::GetSystemMetrics(SM_CYVSCROLL);
    // A pixel of a stretched part matches its source within a pixel.
    auto matches = [&](int x, int y, RECT source) {
        COLORREF shown = BarPixel(x, y);
        int sx = source.left + (x - bar.left) * (source.right - source.left) / width;
        for (int dx = -1; dx <= 1; ++dx) {
            for (int sy = source.top; sy < source.bottom; ++sy) {
                int px =
                    std::clamp(sx + dx, static_cast<int>(source.left), static_cast<int>(source.right) - 1);
                if (SkinPixel(px, sy) == shown)
                    return true;
            }
        }
        return false;
    };
    int mid = bar.left + width / 2;
    // Thumb at the top: body below its top edge row, the track below the thumb.
    int thumbEnd = bar.top + arrow + (kClientHeight - 2 * arrow) * 30 / 131;
    EXPECT_TRUE(matches(mid, bar.top + arrow, RECT{0, 2, 17, 3})) << "thumb edge";
    EXPECT_TRUE(matches(mid, bar.top + arrow + 4, RECT{0, 1, 17, 2})) << "thumb body";
    EXPECT_TRUE(matches(mid, thumbEnd + 20, RECT{0, 0, 17, 1})) << "track";
    EXPECT_TRUE(matches(mid, bar.bottom - 1, RECT{51, 17, 68, 34})) << "down arrow";

    // Pressed, the arrow comes from the pressed column of the skin.
    RECT window;
    m_grid.GetWindowRect(&window);
    POINT down{window.left + mid, window.top + bar.bottom - arrow / 2};
    ::SetCursorPos(down.x, down.y);
    m_grid.SendMessage(WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(down.x, down.y));
    COLORREF pressedPixel = BarPixel(mid, bar.bottom - arrow / 2);
    EXPECT_TRUE(matches(mid, bar.bottom - arrow / 2, RECT{17, 17, 34, 34}));
    POINT client = down;
    m_grid.ScreenToClient(&client);
    m_grid.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    EXPECT_NE(BarPixel(mid, bar.bottom - arrow / 2), pressedPixel) << "normal again after the release";
    EXPECT_EQ(ScrollInfo().nPos, 12);
}

TEST_F(BeatGridTest, ScreenshotOfAFilledGrid) {
    CCustomBeat pattern = Pattern(16);
    const int cells[][3] = {{0, 0, 129}, {0, 4, 129}, {0, 8, 130}, {0, 12, 129}, {1, 4, 131},  {1, 12, 132},
                            {2, 0, 136}, {2, 2, 136}, {2, 4, 137}, {2, 6, 136},  {3, 10, 138}, {4, 7, 143}};
    for (const auto& c : cells)
        pattern.GetTrack(c[0]).GetCell(c[1]) = Cell(c[2]);
    m_grid.SetPattern(pattern);
    m_grid.SetPlaying(true);
    Settle();
    pwtest::Snapshot shot(m_host, false);
    ASSERT_TRUE(shot.Save(pwtest::ScreenshotPath("beat_grid").c_str()));
    // The filled cell at step 4 of column 0 shows black inside its frame.
    POINT cell{5, 4 * 25 + 5};
    ::MapWindowPoints(Column(0), m_host, &cell, 1);
    EXPECT_EQ(shot.Pixel(cell.x, cell.y), RGB(0, 0, 0));
}

} // namespace
