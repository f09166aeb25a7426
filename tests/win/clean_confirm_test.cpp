// The clean confirmation bubble: where it opens, its outline, and the check
// box state it returns after Yes and after No.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "ModalAnswerer.h"
#include "editor/CleanConfirmDlg.h"
#include "framework/Gdi.h"
#include "resource.h"

namespace {

// What the bubble showed when it opened.
struct Opened {
    RECT rcWindow{};
    int checkAtStart = -1;
    bool regionHasCorner = true;
    bool regionHasMiddle = false;
};

// Runs the bubble; once it shows, what it shows is noted and act answers it.
INT_PTR Answer(CCleanConfirmDlg& dialog, Opened& opened, const std::function<void(HWND)>& act) {
    pwtest::ModalAnswerer user([&](HWND hwnd) {
        ::GetWindowRect(hwnd, &opened.rcWindow);
        opened.checkAtStart =
            static_cast<int>(::SendDlgItemMessageA(hwnd, IDC_CLEAN_SHOW_AGAIN, BM_GETCHECK, 0, 0));
        CRgn region;
        region.CreateRectRgn(0, 0, 0, 0);
        if (::GetWindowRgn(hwnd, region) != ERROR) {
            opened.regionHasCorner = ::PtInRegion(region, 0, 0) != FALSE;
            opened.regionHasMiddle = ::PtInRegion(region, 187, 60) != FALSE;
        }
        act(hwnd);
        return true;
    });
    return dialog.DoModal();
}

void Click(HWND dialog, int id) {
    ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

TEST(CleanConfirm, OpensWithTheAnchorNearItsTopRight) {
    CCleanConfirmDlg dialog;
    dialog.m_ptAnchor = POINT{600, 400};
    Opened opened;
    ASSERT_EQ(Answer(dialog, opened, [](HWND d) { Click(d, IDOK); }), IDOK);
    EXPECT_EQ(opened.rcWindow.left, 600 - 312);
    EXPECT_EQ(opened.rcWindow.top, 400 - 9);
    // 187 x 82 dialog units of the 'System' font, 2 pixels each.
    EXPECT_EQ(opened.rcWindow.right - opened.rcWindow.left, 374);
    EXPECT_EQ(opened.rcWindow.bottom - opened.rcWindow.top, 164);
}

TEST(CleanConfirm, NearTheLeftEdgeItGoesPartlyOffScreen) {
    CCleanConfirmDlg dialog;
    dialog.m_ptAnchor = POINT{100, 50};
    Opened opened;
    ASSERT_EQ(Answer(dialog, opened, [](HWND d) { Click(d, IDCANCEL); }), IDCANCEL);
    EXPECT_EQ(opened.rcWindow.left, -212);
    EXPECT_EQ(opened.rcWindow.top, 41);
}

TEST(CleanConfirm, OutlineOfTheBubble) {
    CCleanConfirmDlg dialog;
    dialog.m_ptAnchor = POINT{500, 300};
    Opened opened;
    ASSERT_EQ(Answer(dialog, opened, [](HWND d) { Click(d, IDOK); }), IDOK);
    EXPECT_FALSE(opened.regionHasCorner) << "the white corner is cut away";
    EXPECT_TRUE(opened.regionHasMiddle);
}

TEST(CleanConfirm, YesKeepsTheTickedBox) {
    CCleanConfirmDlg dialog;
    Opened opened;
    ASSERT_EQ(Answer(dialog, opened, [](HWND d) { Click(d, IDOK); }), IDOK);
    EXPECT_EQ(opened.checkAtStart, BST_CHECKED);
    EXPECT_EQ(dialog.m_bShowAgain, 1);
}

TEST(CleanConfirm, UntickedAndNoReturnsCancelWithTheBoxOff) {
    CCleanConfirmDlg dialog;
    Opened opened;
    ASSERT_EQ(Answer(dialog, opened,
                     [](HWND d) {
                         Click(d, IDC_CLEAN_SHOW_AGAIN);
                         Click(d, IDCANCEL);
                     }),
              IDCANCEL);
    EXPECT_EQ(dialog.m_bShowAgain, 0);
}

TEST(CleanConfirm, EscapeIsNoAndKeepsTheBoxState) {
    CCleanConfirmDlg dialog;
    dialog.m_bShowAgain = 0;
    Opened opened;
    ASSERT_EQ(Answer(dialog, opened,
                     [](HWND d) {
                         Click(d, IDC_CLEAN_SHOW_AGAIN);
                         ::SetFocus(::GetDlgItem(d, IDOK));
                         ::PostMessageA(::GetDlgItem(d, IDOK), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
                     }),
              IDCANCEL);
    EXPECT_EQ(opened.checkAtStart, BST_UNCHECKED) << "the box starts from the caller's value";
    EXPECT_EQ(dialog.m_bShowAgain, 1);
}

TEST(CleanConfirm, TickingTheBoxAgainAndYes) {
    CCleanConfirmDlg dialog;
    dialog.m_bShowAgain = 0;
    Opened opened;
    ASSERT_EQ(Answer(dialog, opened,
                     [](HWND d) {
                         Click(d, IDC_CLEAN_SHOW_AGAIN);
                         Click(d, IDOK);
                     }),
              IDOK);
    EXPECT_EQ(dialog.m_bShowAgain, 1);
}

} // namespace
