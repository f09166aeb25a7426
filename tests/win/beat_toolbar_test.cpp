// The editor toolbar on real windows: layout, images, selection and the
// notification it sends to its parent.
#include <gtest/gtest.h>

#include <chrono>
#include <utility>
#include <vector>

#include "WinTest.h"
#include "editor/BeatToolBar.h"
#include "editor/GridState.h"
#include "framework/Gdi.h"
#include "model/BeatPattern.h"

namespace {

class ParentWnd : public CWnd {
public:
    std::vector<std::pair<WPARAM, LPARAM>> changes;
    LRESULT answer = 0;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_CBTOOLBAR_ITEM_CHANGED) {
            changes.emplace_back(wp, lp);
            return answer;
        }
        return CWnd::WindowProc(msg, wp, lp);
    }
};

class TestToolBar : public CBeatToolBar {
public:
    using CBeatToolBar::m_buttons;
    using CBeatToolBar::m_nSelId;
};

bool Playing(CBeatToolButton& button) {
    DWORD status = 0;
    IDirectSoundBuffer* buffer = button.m_voice.GetBuffer();
    return buffer && SUCCEEDED(buffer->GetStatus(&status)) && (status & DSBSTATUS_PLAYING);
}

// Fraction of the bitmap's non-key pixels that a window shows unchanged.
double ShowsBitmap(HWND hwnd, UINT bitmapId) {
    CBitmap bitmap;
    EXPECT_TRUE(bitmap.LoadBitmap(bitmapId)) << bitmapId;
    pwtest::Snapshot shot(hwnd);
    CMemDC mem;
    CSelectObject select(mem, bitmap);
    SIZE size = bitmap.GetSize();
    int opaque = 0;
    int same = 0;
    for (int y = 0; y < size.cy; ++y) {
        for (int x = 0; x < size.cx; ++x) {
            COLORREF c = ::GetPixel(mem, x, y);
            if (c == kSkinButtonKey)
                continue;
            ++opaque;
            same += shot.Pixel(x, y) == c;
        }
    }
    return opaque ? static_cast<double>(same) / opaque : 0.0;
}

class BeatToolBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::SetCursorPos(0, 0);
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "toolbar", WS_POPUP | WS_VISIBLE, RECT{100, 100, 700, 300},
                                    nullptr, 0));
        ASSERT_TRUE(toolbar.Create(RECT{10, 12, 562, 92}, &parent, 12));
        pwtest::PumpMessages();
    }

    int CountPlaying() {
        int playing = 0;
        for (CBeatToolButton& button : toolbar.m_buttons)
            playing += Playing(button);
        return playing;
    }

    HWND Item(int index) const { return toolbar.GetDlgItem(kFirstToolId + index); }

    void Click(int index) {
        ::SendMessageA(Item(index), BM_CLICK, 0, 0);
        pwtest::PumpMessages();
    }

    // A real click through the system's input, which skips disabled windows.
    void ClickWithMouse(HWND item) {
        RECT rc;
        ::GetWindowRect(item, &rc);
        ::SetForegroundWindow(parent);
        ::SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        pwtest::PumpMessages();
        INPUT inputs[2]{};
        inputs[0].type = INPUT_MOUSE;
        inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        inputs[1].type = INPUT_MOUSE;
        inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        ::SendInput(2, inputs, sizeof(INPUT));
    }

    ParentWnd parent;
    TestToolBar toolbar;
};

TEST_F(BeatToolBarTest, TwoRowsOfTwelveItems) {
    RECT rc;
    toolbar.GetClientRect(&rc);
    EXPECT_EQ(rc.right, 552);
    EXPECT_EQ(rc.bottom, 80);
    for (int k = 0; k < kToolItemCount; ++k) {
        HWND item = Item(k);
        ASSERT_TRUE(item) << k;
        RECT placed;
        ::GetWindowRect(item, &placed);
        toolbar.ScreenToClient(&placed);
        EXPECT_EQ(placed.left, 46 * (k % 12)) << k;
        EXPECT_EQ(placed.top, 40 * (k / 12)) << k;
        EXPECT_EQ(placed.right - placed.left, 46) << k;
        EXPECT_EQ(placed.bottom - placed.top, 40) << k;
        EXPECT_TRUE(::IsWindowVisible(item)) << k;
        EXPECT_TRUE(::IsWindowEnabled(item)) << k;
    }
    EXPECT_EQ(toolbar.m_nSelId, -1) << "nothing is selected by creation";
    EXPECT_TRUE(parent.changes.empty());
}

TEST_F(BeatToolBarTest, IndexElevenSelectsTheMoveTool) {
    toolbar.SetCurSel(11);
    ASSERT_EQ(parent.changes.size(), 1u);
    EXPECT_EQ(parent.changes[0].first, 21u);
    EXPECT_EQ(parent.changes[0].second, 0);
    EXPECT_EQ(toolbar.GetCurSel(), 11);
    EXPECT_FALSE(::IsWindowEnabled(Item(11)));
    EXPECT_EQ(ToolFromItem(21, 0), TOOL_MOVE);
}

TEST_F(BeatToolBarTest, SelectionMovesTheDisabledItem) {
    toolbar.SetCurSel(11);
    toolbar.SetCurSel(0);
    EXPECT_TRUE(::IsWindowEnabled(Item(11)));
    EXPECT_FALSE(::IsWindowEnabled(Item(0)));
    for (int k = 1; k < kToolItemCount; ++k)
        EXPECT_TRUE(::IsWindowEnabled(Item(k))) << k;
    EXPECT_EQ(toolbar.GetCurSel(), 0);
}

TEST_F(BeatToolBarTest, NotificationCarriesCommandAndSoundIds) {
    const std::pair<int, LPARAM> expected[] = {{0, 129}, {10, 139}, {12, 140}, {22, 150},
                                               {23, 0},  {11, 0},   {7, 136}};
    for (auto [index, sound] : expected)
        Click(index);
    ASSERT_EQ(parent.changes.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(parent.changes[i].first, static_cast<WPARAM>(kFirstToolId + expected[i].first)) << i;
        EXPECT_EQ(parent.changes[i].second, expected[i].second) << i;
    }
    EXPECT_EQ(toolbar.GetCurSel(), 7);
}

TEST_F(BeatToolBarTest, SelectReturnsTheParentsAnswer) {
    parent.answer = 77;
    EXPECT_EQ(toolbar.Select(15), 77);
    EXPECT_EQ(toolbar.Select(34), 0) << "not an item";
    EXPECT_EQ(toolbar.Select(9), 0) << "not an item";
    EXPECT_EQ(parent.changes.size(), 1u);
    EXPECT_EQ(toolbar.GetCurSel(), 5);
}

TEST_F(BeatToolBarTest, SelectedItemIsDisabledAndCannotBeClicked) {
    toolbar.SetCurSel(3);
    parent.changes.clear();
    // Input arrives in order: once the second click has been heard, the first
    // has been handled too.
    ClickWithMouse(Item(3));
    ClickWithMouse(Item(4));
    ASSERT_TRUE(pwtest::PumpUntil([&] { return !parent.changes.empty(); }, std::chrono::seconds(5)));
    pwtest::PumpMessages();
    ASSERT_EQ(parent.changes.size(), 1u);
    EXPECT_EQ(parent.changes[0].first, 14u);
}

TEST_F(BeatToolBarTest, ItemsShowTheirImages) {
    toolbar.SetCurSel(11);
    pwtest::PumpMessages();
    EXPECT_GT(ShowsBitmap(Item(11), 181 + 11), 0.99) << "the selected item shows its disabled image";
    EXPECT_GT(ShowsBitmap(Item(0), 211), 0.99) << "the others their normal image";
    EXPECT_GT(ShowsBitmap(Item(23), 211 + 23), 0.99);
    EXPECT_LT(ShowsBitmap(Item(0), 181), 0.9);
}

TEST_F(BeatToolBarTest, EveryInstrumentHasItsOwnVoice) {
    for (int k = 0; k < kToolItemCount; ++k)
        EXPECT_EQ(toolbar.m_buttons[k].m_voice.IsReady(), k != 11 && k != 23) << k;
}

TEST_F(BeatToolBarTest, ClickWithSoundOnPlaysTheInstrument) {
    ASSERT_EQ(toolbar.m_bSoundOn, 1);
    Click(0);
    EXPECT_TRUE(Playing(toolbar.m_buttons[0]));
    Click(19);
    EXPECT_TRUE(Playing(toolbar.m_buttons[19]));
    EXPECT_EQ(parent.changes.size(), 2u);
}

TEST_F(BeatToolBarTest, ClicksWithSoundOffAreSilent) {
    toolbar.m_bSoundOn = 0;
    for (int k : {0, 5, 12, 22}) {
        Click(k);
        EXPECT_EQ(CountPlaying(), 0) << k;
    }
    EXPECT_EQ(parent.changes.size(), 4u) << "the items are still selected";
    EXPECT_EQ(toolbar.GetCurSel(), 22);
}

TEST_F(BeatToolBarTest, MoveToolAndEraserNeverSound) {
    Click(11);
    Click(23);
    EXPECT_EQ(CountPlaying(), 0);
    ASSERT_EQ(parent.changes.size(), 2u);
    EXPECT_EQ(parent.changes[0], (std::pair<WPARAM, LPARAM>{21, 0}));
    EXPECT_EQ(parent.changes[1], (std::pair<WPARAM, LPARAM>{33, 0}));
}

TEST_F(BeatToolBarTest, SelectingWithoutAClickIsSilent) {
    for (int k : {0, 7, 16, 11})
        toolbar.SetCurSel(k);
    EXPECT_EQ(CountPlaying(), 0);
    EXPECT_EQ(parent.changes.size(), 4u);
    EXPECT_EQ(parent.changes[1], (std::pair<WPARAM, LPARAM>{17, 136}));
}

} // namespace
