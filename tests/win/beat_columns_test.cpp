#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <memory>
#include <utility>
#include <vector>

#include "RecordingParent.h"
#include "SuiteHost.h"
#include "WinTest.h"
#include "editor/EditorMessages.h"
#include "editor/GridState.h"
#include "editor/StepNumberColumn.h"
#include "editor/TrackColumn.h"
#include "model/BeatPattern.h"

using namespace std::chrono_literals;

namespace {

constexpr int kColumnWidth = 60;
constexpr int kHostSize = 300;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
const CBeatCell kSnare{"Snare", 131, 7};
const CBeatCell kKick{"Kick", 129, 0};

COLORREF BitmapPixel(UINT id, int x, int y) {
    return pwtest::LoadPicture(id).Pixel(x, y);
}

// What the window shows now, immediate drawing included.
pwtest::Snapshot Screen(HWND hwnd) {
    return pwtest::Snapshot(hwnd, pwtest::Snapshot::Source::AsShown);
}

COLORREF ScreenPixel(HWND hwnd, int x, int y) {
    return Screen(hwnd).Pixel(x, y);
}

class BeatColumnsTest : public ::testing::Test {
protected:
    static pwtest::RecordingParent& Host() {
        return pwtest::SuiteHost<pwtest::RecordingParent>::Get(RECT{40, 40, 40 + kHostSize, 40 + kHostSize});
    }
    static void TearDownTestSuite() { pwtest::SuiteHost<pwtest::RecordingParent>::Release(); }

    void SetUp() override {
        ::SetCursorPos(900, 700);
        ASSERT_TRUE(m_host.IsWindow());
        m_host.watched = {WM_CBLNEEDTOGETFOCUS, WM_CBLISTBOX_CHANGE_SIZE, WM_CCBLBALC_CLICKED_BUTTON};
        ASSERT_TRUE(m_a.Create(RECT{0, 0, kColumnWidth, 0}, &m_host, 10));
        ASSERT_TRUE(m_b.Create(RECT{kColumnWidth, 0, 2 * kColumnWidth, 0}, &m_host, 11));
        ASSERT_TRUE(m_numbers.Create(RECT{200, 0, 230, 0}, &m_host, 8));
        CBeatTrack track;
        track.SetCellCount(16);
        track.GetCell(1) = kSnare;
        track.GetCell(12) = kKick;
        m_a.SetTrack(track);
        m_a.UpdateSize();
        m_b.UpdateSize();
        m_numbers.UpdateSize();
        Settle();
        m_host.received.clear();
    }

    void TearDown() override {
        ::SetCursorPos(900, 700);
        pwtest::PumpMessages();
    }

    // Lets every pending paint and mouse notification happen.
    static void Settle() {
        pwtest::PumpFor(50ms);
        ::UpdateWindow(Host());
    }

    static void SendMouse(CWnd& column, UINT msg, UINT flags, int x, int y) {
        POINT screen{x, y};
        column.ClientToScreen(&screen);
        ::SetCursorPos(screen.x, screen.y);
        column.SendMessage(msg, flags, MAKELPARAM(x, y));
    }
    static void Move(CWnd& column, int row, UINT flags = 0) {
        SendMouse(column, WM_MOUSEMOVE, flags, 30, 25 * row + 12);
    }
    static void Down(CWnd& column, int row, UINT flags = MK_LBUTTON) {
        SendMouse(column, WM_LBUTTONDOWN, flags, 30, 25 * row + 12);
    }
    static void Up(CWnd& column, int row) { SendMouse(column, WM_LBUTTONUP, 0, 30, 25 * row + 12); }
    // A click: the pointer enters the cell, the button goes down and up.
    static void Click(CWnd& column, int row) {
        Move(column, row);
        Down(column, row);
        Up(column, row);
    }

    // The fill of a cell's preview, left of any centred label.
    static COLORREF PreviewFill(CWnd& column, int row) { return ScreenPixel(column, 3, 25 * row + 5); }

    int FocusRequests() const { return m_host.Count(WM_CBLNEEDTOGETFOCUS); }
    int SizeChanges() const { return m_host.Count(WM_CBLISTBOX_CHANGE_SIZE); }
    // The step number clicks: the column's window and the step.
    std::vector<pwtest::Received> Clicks() const { return m_host.All(WM_CCBLBALC_CLICKED_BUTTON); }

    // Stands in for the grid: records what the columns tell it.
    pwtest::RecordingParent& m_host = Host();
    // What the grid would hand its columns.
    CGridState m_state;
    CCellDrag m_drag;
    CTrackColumn m_a{m_state, m_drag};
    CTrackColumn m_b{m_state, m_drag};
    CStepNumberColumn m_numbers{m_state};
};

TEST_F(BeatColumnsTest, EmptyAndFilledCellsAndBeatLines) {
    pwtest::Snapshot shot(m_a);
    // Empty cell 0: grey outline inside the 1/2/2/1 inset, white within.
    EXPECT_EQ(shot.Pixel(0, 10), kWhite);
    EXPECT_EQ(shot.Pixel(1, 10), RGB(200, 200, 200));
    EXPECT_EQ(shot.Pixel(20, 2), RGB(200, 200, 200));
    EXPECT_EQ(shot.Pixel(20, 23), RGB(200, 200, 200));
    EXPECT_EQ(shot.Pixel(57, 10), RGB(200, 200, 200));
    EXPECT_EQ(shot.Pixel(58, 10), kWhite);
    EXPECT_EQ(shot.Pixel(20, 1), kWhite);
    EXPECT_EQ(shot.Pixel(20, 24), kWhite);
    EXPECT_EQ(shot.Pixel(10, 10), kWhite);
    // The black edge at the right.
    EXPECT_EQ(shot.Pixel(kColumnWidth - 1, 10), kBlack);
    // Filled cell 1: black over the whole inset rectangle, with white text.
    EXPECT_EQ(shot.Pixel(1, 27), kBlack);
    EXPECT_EQ(shot.Pixel(3, 30), kBlack);
    EXPECT_EQ(shot.Pixel(57, 48), kBlack);
    int white = 0;
    for (int x = 2; x < 57; ++x) {
        for (int y = 28; y < 48; ++y)
            white += shot.Pixel(x, y) == kWhite;
    }
    EXPECT_GT(white, 10) << "the label is drawn";
    // Beat lines above steps 4, 8 and 12 across the whole width, none above 0.
    for (int step : {4, 8, 12}) {
        EXPECT_EQ(shot.Pixel(0, 25 * step), RGB(100, 100, 100)) << step;
        EXPECT_EQ(shot.Pixel(30, 25 * step), RGB(100, 100, 100)) << step;
        EXPECT_EQ(shot.Pixel(kColumnWidth - 1, 25 * step), RGB(100, 100, 100)) << step;
    }
    for (int step : {0, 1, 3, 5, 13})
        EXPECT_EQ(shot.Pixel(30, 25 * step), kWhite) << step;
}

TEST_F(BeatColumnsTest, BelowTheLastStepTheColumnIsWhite) {
    m_state.m_nStepCount = 8;
    m_a.UpdateSize();
    m_numbers.UpdateSize();
    RECT rc;
    m_a.GetClientRect(&rc);
    EXPECT_EQ(rc.bottom, kHostSize);
    pwtest::Snapshot shot(m_a);
    EXPECT_EQ(shot.Pixel(10, 25 * 8 + 5), kWhite);
    EXPECT_EQ(shot.Pixel(1, 25 * 8 + 5), kWhite);
    EXPECT_EQ(shot.Pixel(10, 299), kWhite);
    pwtest::Snapshot numbers(m_numbers);
    EXPECT_EQ(numbers.Pixel(10, 25 * 8 + 5), kWhite);
}

TEST_F(BeatColumnsTest, StepNumbersShowTilesNumbersAndRedBeatLines) {
    pwtest::Snapshot shot(m_numbers);
    COLORREF tile = BitmapPixel(304, 3, 12);
    ASSERT_NE(tile, CLR_INVALID);
    EXPECT_EQ(shot.Pixel(3, 12), tile);
    EXPECT_EQ(shot.Pixel(3, 25 * 7 + 12), tile);
    for (int step : {4, 8, 12}) {
        EXPECT_EQ(shot.Pixel(0, 25 * step), kRed) << step;
        EXPECT_EQ(shot.Pixel(29, 25 * step), kRed) << step;
    }
    EXPECT_NE(shot.Pixel(15, 25 * 3), kRed);
    EXPECT_NE(shot.Pixel(15, 0), kRed);
    int white = 0;
    for (int x = 10; x < 30; ++x) {
        for (int y = 0; y < 25; ++y)
            white += shot.Pixel(x, y) == kWhite;
    }
    EXPECT_GT(white, 3) << "the number 1 is drawn";

    m_numbers.SetActive(true);
    pwtest::Snapshot active(m_numbers);
    EXPECT_EQ(active.Pixel(3, 12), BitmapPixel(305, 3, 12));
}

TEST_F(BeatColumnsTest, HoverPreviewOfAnInstrument) {
    Move(m_a, 2);
    EXPECT_EQ(PreviewFill(m_a, 2), RGB(200, 200, 200));
    EXPECT_EQ(FocusRequests(), 1);
    EXPECT_EQ(m_a.GetCell(2), CBeatCell{}) << "hovering changes nothing";
}

TEST_F(BeatColumnsTest, HoverPreviewOfTheEraser) {
    m_state.m_nCurTool = TOOL_ERASER;
    Move(m_a, 1);
    EXPECT_EQ(PreviewFill(m_a, 1), RGB(210, 210, 210));
    EXPECT_EQ(FocusRequests(), 1);
}

TEST_F(BeatColumnsTest, HoverPreviewOfTheMoveTool) {
    m_state.m_nCurTool = TOOL_MOVE;
    Move(m_a, 1);
    EXPECT_EQ(PreviewFill(m_a, 1), RGB(210, 210, 210));
    // An empty cell shows nothing, but still asks for the focus.
    Move(m_a, 2);
    EXPECT_EQ(PreviewFill(m_a, 2), kWhite);
    EXPECT_EQ(FocusRequests(), 2);
    // With a move in progress every cell entered shows what is being moved.
    Down(m_a, 2);
    Move(m_a, 1);
    Down(m_a, 1);
    Move(m_b, 5);
    EXPECT_EQ(PreviewFill(m_b, 5), RGB(240, 240, 240));
    Up(m_b, 5);
}

TEST_F(BeatColumnsTest, ShiftDragFillsEveryCellEnteredAndRepaintsTheLast) {
    m_state.m_nCurTool = 131;
    Move(m_b, 0);
    Down(m_b, 0, MK_LBUTTON | MK_SHIFT);
    for (int row = 1; row <= 4; ++row) {
        Move(m_b, row, MK_LBUTTON | MK_SHIFT);
        EXPECT_EQ(PreviewFill(m_b, row), RGB(255, 255, 210)) << row;
    }
    Up(m_b, 4);
    for (int row = 0; row <= 4; ++row)
        EXPECT_EQ(m_b.GetCell(row), (CBeatCell{"Snare", 131, 0})) << row;
    EXPECT_EQ(m_b.GetCell(5), CBeatCell{});
    Settle();
    EXPECT_EQ(ScreenPixel(m_b, 3, 25 * 4 + 5), kBlack) << "the last cell shows its new content at once";

    // Without Shift only the cell where the button went down changes.
    Move(m_b, 8);
    Down(m_b, 8);
    Move(m_b, 9, MK_LBUTTON);
    Move(m_b, 10, MK_LBUTTON);
    Up(m_b, 10);
    EXPECT_EQ(m_b.GetCell(8).m_nSoundId, 131);
    EXPECT_EQ(m_b.GetCell(9), CBeatCell{});
    EXPECT_EQ(m_b.GetCell(10), CBeatCell{});
}

TEST_F(BeatColumnsTest, ClickPutsTheInstrumentAndTheEraserClears) {
    m_state.m_nCurTool = 143;
    Click(m_a, 1);
    EXPECT_EQ(m_a.GetCell(1), (CBeatCell{"Tambourine", 143, 0}));
    m_state.m_nCurTool = TOOL_ERASER;
    Move(m_a, 2);
    Move(m_a, 1);
    Down(m_a, 1);
    EXPECT_EQ(m_a.GetCell(1), CBeatCell{});
    // The erased preview shows at once: the grey fill and no label.
    const pwtest::Snapshot screen = Screen(m_a);
    int other = 0;
    for (int x = 2; x < 56; ++x) {
        for (int y = 25 + 3; y < 25 + 23; ++y)
            other += screen.Pixel(x, y) != RGB(210, 210, 210);
    }
    EXPECT_EQ(other, 0);
    Up(m_a, 1);
}

TEST_F(BeatColumnsTest, MoveWithinAColumn) {
    m_state.m_nCurTool = TOOL_MOVE;
    Move(m_a, 1);
    Down(m_a, 1);
    Move(m_a, 5, MK_LBUTTON);
    Up(m_a, 5);
    EXPECT_EQ(m_a.GetCell(5), kSnare);
    EXPECT_EQ(m_a.GetCell(1), CBeatCell{});
}

TEST_F(BeatColumnsTest, MoveAcrossColumnsCarriesLabelSoundAndReservedWord) {
    m_state.m_nCurTool = TOOL_MOVE;
    Move(m_a, 1);
    Down(m_a, 1);
    // No capture: the release arrives at the column under the pointer.
    Up(m_b, 3);
    EXPECT_EQ(m_b.GetCell(3), kSnare);
    EXPECT_EQ(m_b.GetCell(3).m_nReserved, 7);
    EXPECT_EQ(m_a.GetCell(1), CBeatCell{});
}

TEST_F(BeatColumnsTest, MoveOntoAFilledCellOverwritesIt) {
    m_state.m_nCurTool = TOOL_MOVE;
    Down(m_a, 1);
    Up(m_a, 12);
    EXPECT_EQ(m_a.GetCell(12), kSnare);
    EXPECT_EQ(m_a.GetCell(1), CBeatCell{});
}

TEST_F(BeatColumnsTest, MoveOntoItselfChangesNothing) {
    m_state.m_nCurTool = TOOL_MOVE;
    Click(m_a, 1);
    EXPECT_EQ(m_a.GetCell(1), kSnare);
    // And the move is over: a later release elsewhere moves nothing.
    Up(m_b, 2);
    EXPECT_EQ(m_b.GetCell(2), CBeatCell{});
}

TEST_F(BeatColumnsTest, MoveFromAnEmptyCellStartsNothing) {
    m_state.m_nCurTool = TOOL_MOVE;
    Down(m_a, 2);
    Up(m_a, 12);
    EXPECT_EQ(m_a.GetCell(12), kKick);
    EXPECT_EQ(m_a.GetCell(2), CBeatCell{});
    EXPECT_EQ(m_a.GetTrack().GetCell(1), kSnare);
}

TEST_F(BeatColumnsTest, MoveReleasedOutsideTheColumnsStaysPending) {
    m_state.m_nCurTool = TOOL_MOVE;
    Down(m_a, 1);
    SendMouse(m_numbers, WM_LBUTTONUP, 0, 10, 40);
    EXPECT_EQ(m_a.GetCell(1), kSnare);
    Up(m_b, 4);
    EXPECT_EQ(m_b.GetCell(4), kSnare);
    EXPECT_EQ(m_a.GetCell(1), CBeatCell{});
}

TEST_F(BeatColumnsTest, LoweringTheStepCountDropsAPendingMoveSafely) {
    m_state.m_nCurTool = TOOL_MOVE;
    Down(m_a, 12);
    m_state.m_nStepCount = 8;
    m_a.UpdateSize();
    m_b.UpdateSize();
    EXPECT_EQ(m_a.GetTrack().GetCellCount(), 8);
    Up(m_b, 3);
    CBeatTrack empty;
    empty.SetCellCount(8);
    EXPECT_EQ(m_b.GetTrack(), empty);
    // Raising the count again brings empty cells back, not the dropped one.
    m_state.m_nStepCount = 16;
    m_a.UpdateSize();
    EXPECT_EQ(m_a.GetCell(12), CBeatCell{});
    // A new move works as before.
    Down(m_a, 1);
    Up(m_b, 1);
    EXPECT_EQ(m_b.GetCell(1), kSnare);
}

TEST_F(BeatColumnsTest, PendingMoveOfADestroyedColumnIsDropped) {
    m_state.m_nCurTool = TOOL_MOVE;
    {
        CTrackColumn gone{m_state, m_drag};
        ASSERT_TRUE(gone.Create(RECT{130, 0, 190, 0}, &m_host, 12));
        CBeatTrack track;
        track.SetCellCount(16);
        track.GetCell(0) = kSnare;
        gone.SetTrack(track);
        gone.UpdateSize();
        Down(gone, 0);
    }
    Up(m_b, 2);
    EXPECT_EQ(m_b.GetCell(2), CBeatCell{});
}

TEST_F(BeatColumnsTest, ClicksBelowTheLastStepChangeNothing) {
    m_state.m_nStepCount = 8;
    m_a.UpdateSize();
    CBeatTrack before = m_a.GetTrack();
    SendMouse(m_a, WM_MOUSEMOVE, 0, 30, 250);
    EXPECT_EQ(FocusRequests(), 0) << "no preview below the last step";
    SendMouse(m_a, WM_LBUTTONDOWN, MK_LBUTTON, 30, 250);
    SendMouse(m_a, WM_LBUTTONUP, 0, 30, 250);
    SendMouse(m_a, WM_LBUTTONDOWN, MK_LBUTTON, 30, 299);
    EXPECT_EQ(m_a.GetTrack(), before);
    EXPECT_EQ(m_a.GetTrack().GetCellCount(), 8);
}

TEST_F(BeatColumnsTest, LeavingTheColumnRemovesThePreview) {
    Move(m_a, 2);
    // The pointer's own move arrives first and finds the same cell.
    Settle();
    EXPECT_EQ(PreviewFill(m_a, 2), RGB(200, 200, 200));
    m_a.SendMessage(WM_MOUSELEAVE);
    Settle();
    EXPECT_EQ(PreviewFill(m_a, 2), kWhite);
}

TEST_F(BeatColumnsTest, RefreshHoverShowsTheNewToolAtOnce) {
    Move(m_a, 2);
    EXPECT_EQ(PreviewFill(m_a, 2), RGB(200, 200, 200));
    m_state.m_nCurTool = TOOL_ERASER;
    m_a.RefreshHover();
    EXPECT_EQ(PreviewFill(m_a, 2), RGB(210, 210, 210));
    EXPECT_EQ(FocusRequests(), 2);
}

TEST_F(BeatColumnsTest, StepMarksAreDrawnAtOnceAndRemovedByThePaint) {
    m_a.MarkStep(3);
    EXPECT_EQ(ScreenPixel(m_a, 0, 75), kRed);
    EXPECT_EQ(ScreenPixel(m_a, 58, 75), kRed);
    EXPECT_EQ(ScreenPixel(m_a, 30, 99), kRed);
    EXPECT_NE(ScreenPixel(m_a, 30, 80), kRed);
    m_a.UnmarkStep(3);
    Settle();
    EXPECT_EQ(ScreenPixel(m_a, 30, 75), kWhite);
    EXPECT_EQ(ScreenPixel(m_a, 30, 99), kWhite);
}

TEST_F(BeatColumnsTest, UpdateSizeFitsCellsAndHeightAndTellsTheParent) {
    m_state.m_nStepCount = 20;
    m_a.UpdateSize();
    EXPECT_EQ(m_a.GetTrack().GetCellCount(), 20);
    EXPECT_EQ(m_a.GetCell(1), kSnare);
    EXPECT_EQ(m_a.GetCell(19), CBeatCell{});
    RECT rc;
    m_a.GetClientRect(&rc);
    EXPECT_EQ(rc.bottom, 500);
    EXPECT_EQ(rc.right, kColumnWidth);
    EXPECT_EQ(SizeChanges(), 1);

    m_state.m_nStepCount = 10;
    m_a.UpdateSize();
    m_a.GetClientRect(&rc);
    EXPECT_EQ(rc.bottom, kHostSize);
    EXPECT_EQ(m_a.GetTrack().GetCellCount(), 10);
    EXPECT_EQ(SizeChanges(), 2);
}

TEST_F(BeatColumnsTest, StepNumbersReactOnlyWhileActive) {
    SendMouse(m_numbers, WM_MOUSEMOVE, 0, 10, 25 * 2 + 12);
    EXPECT_EQ(ScreenPixel(m_numbers, 3, 25 * 2 + 12), BitmapPixel(304, 3, 12));
    SendMouse(m_numbers, WM_LBUTTONDOWN, MK_LBUTTON, 10, 25 * 2 + 12);
    EXPECT_TRUE(Clicks().empty());

    m_numbers.SetActive(true);
    Settle();
    SendMouse(m_numbers, WM_MOUSEMOVE, 0, 10, 25 * 3 + 12);
    EXPECT_EQ(ScreenPixel(m_numbers, 3, 25 * 3 + 12), BitmapPixel(303, 3, 12));
    const pwtest::Snapshot screen = Screen(m_numbers);
    int black = 0;
    for (int x = 10; x < 30; ++x) {
        for (int y = 25 * 3; y < 25 * 4; ++y)
            black += screen.Pixel(x, y) == kBlack;
    }
    EXPECT_GT(black, 3) << "the number 4 in black";
    SendMouse(m_numbers, WM_LBUTTONDOWN, MK_LBUTTON, 10, 25 * 5 + 1);
    ASSERT_EQ(Clicks().size(), 1u);
    EXPECT_EQ(Clicks()[0].wp, reinterpret_cast<WPARAM>(m_numbers.GetSafeHwnd()));
    EXPECT_EQ(Clicks()[0].lp, 5);

    // Below the last row the click is still reported.
    m_state.m_nStepCount = 8;
    m_numbers.UpdateSize();
    SendMouse(m_numbers, WM_LBUTTONDOWN, MK_LBUTTON, 10, 260);
    ASSERT_EQ(Clicks().size(), 2u);
    EXPECT_EQ(Clicks()[1].lp, 10);
}

} // namespace
