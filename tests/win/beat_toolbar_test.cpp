// The editor toolbar on real windows: layout, images, selection and the
// notification it sends to its parent.
#include <gtest/gtest.h>

#include <chrono>
#include <utility>
#include <vector>

#include "RecordingParent.h"
#include "WinTest.h"
#include "editor/BeatToolBar.h"
#include "editor/GridState.h"
#include "model/BeatPattern.h"

namespace {

using Change = std::pair<WPARAM, LPARAM>;

// Fraction of the bitmap's non-key pixels that a window shows unchanged.
double ShowsBitmap(HWND hwnd, UINT bitmapId) {
    const pwtest::Canvas bitmap = pwtest::LoadPicture(bitmapId);
    EXPECT_GT(bitmap.Width(), 0) << bitmapId;
    pwtest::Snapshot shot(hwnd);
    int opaque = 0;
    int same = 0;
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            COLORREF c = bitmap.Pixel(x, y);
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
        parent.watched = {WM_CBTOOLBAR_ITEM_CHANGED};
        ASSERT_TRUE(parent.Create(RECT{100, 100, 700, 300}, WS_POPUP));
        ASSERT_TRUE(toolbar.Create(RECT{10, 12, 562, 92}, &parent, 12));
        pwtest::PumpMessages();
    }

    // What the toolbar told its parent: command id and sound id.
    std::vector<Change> Changes() const {
        std::vector<Change> changes;
        for (const pwtest::Received& r : parent.All(WM_CBTOOLBAR_ITEM_CHANGED))
            changes.emplace_back(r.wp, r.lp);
        return changes;
    }

    HWND Item(int index) const { return toolbar.GetDlgItem(kFirstToolId + index); }
    // Sounds the toolbar's voices asked the output stream for.
    unsigned Played() const { return stream.GetHits(); }

    void Click(int index) {
        ::SendMessageA(Item(index), BM_CLICK, 0, 0);
        pwtest::PumpMessages();
    }

    pwtest::RecordingParent parent;
    COutputStream stream;
    CBeatToolBar toolbar{stream};
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
    EXPECT_EQ(toolbar.GetCurSel(), -11) << "nothing is selected by creation";
    EXPECT_TRUE(parent.received.empty());
}

TEST_F(BeatToolBarTest, IndexElevenSelectsTheMoveTool) {
    toolbar.SetCurSel(11);
    EXPECT_EQ(Changes(), std::vector<Change>{Change(21, 0)});
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
    const std::vector<Change> changes = Changes();
    ASSERT_EQ(changes.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(changes[i].first, static_cast<WPARAM>(kFirstToolId + expected[i].first)) << i;
        EXPECT_EQ(changes[i].second, expected[i].second) << i;
    }
    EXPECT_EQ(toolbar.GetCurSel(), 7);
}

TEST_F(BeatToolBarTest, SelectReturnsTheParentsAnswer) {
    parent.onReceived = [](const pwtest::Received&) -> LRESULT {
        return 77;
    };
    EXPECT_EQ(toolbar.Select(15), 77);
    EXPECT_EQ(toolbar.Select(34), 0) << "not an item";
    EXPECT_EQ(toolbar.Select(9), 0) << "not an item";
    EXPECT_EQ(parent.received.size(), 1u);
    EXPECT_EQ(toolbar.GetCurSel(), 5);
}

TEST_F(BeatToolBarTest, SelectedItemIsDisabledAndCannotBeClicked) {
    toolbar.SetCurSel(3);
    parent.received.clear();
    // Input arrives in order: once the second click has been heard, the first
    // has been handled too.
    pwtest::MouseClick(Item(3));
    pwtest::MouseClick(Item(4));
    ASSERT_TRUE(pwtest::PumpUntil([&] { return !parent.received.empty(); }, std::chrono::seconds(5)));
    pwtest::PumpMessages();
    ASSERT_EQ(Changes().size(), 1u);
    EXPECT_EQ(Changes()[0].first, 14u);
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
        EXPECT_EQ(toolbar.GetVoice(k).IsReady(), k != 11 && k != 23) << k;
}

TEST_F(BeatToolBarTest, ClickWithSoundOnPlaysTheInstrument) {
    ASSERT_EQ(toolbar.m_bSoundOn, 1);
    const unsigned before = Played();
    Click(0);
    EXPECT_EQ(Played(), before + 1);
    Click(19);
    EXPECT_EQ(Played(), before + 2);
    EXPECT_EQ(Changes().size(), 2u);
    // The stream opens for them (or runs silently without a device).
    EXPECT_TRUE(pwtest::PumpUntil([&] { return stream.GetState() != COutputStream::State::Closed; },
                                  std::chrono::seconds(5)));
}

TEST_F(BeatToolBarTest, ClicksWithSoundOffAreSilent) {
    toolbar.m_bSoundOn = 0;
    const unsigned before = Played();
    for (int k : {0, 5, 12, 22}) {
        Click(k);
        EXPECT_EQ(Played(), before) << k;
    }
    EXPECT_EQ(stream.GetState(), COutputStream::State::Closed) << "nothing opened the device";
    EXPECT_EQ(Changes().size(), 4u) << "the items are still selected";
    EXPECT_EQ(toolbar.GetCurSel(), 22);
}

TEST_F(BeatToolBarTest, MoveToolAndEraserNeverSound) {
    const unsigned before = Played();
    Click(11);
    Click(23);
    EXPECT_EQ(Played(), before);
    EXPECT_EQ(Changes(), (std::vector<Change>{{21, 0}, {33, 0}}));
}

TEST_F(BeatToolBarTest, SelectingWithoutAClickIsSilent) {
    const unsigned before = Played();
    for (int k : {0, 7, 16, 11})
        toolbar.SetCurSel(k);
    EXPECT_EQ(Played(), before);
    ASSERT_EQ(Changes().size(), 4u);
    EXPECT_EQ(Changes()[1], (Change{17, 136}));
}

} // namespace
