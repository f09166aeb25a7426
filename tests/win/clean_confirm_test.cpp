// The clean confirmation bubble: where it opens, its outline, and the check
// box state it returns after Yes and after No.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "WinTest.h"
#include "editor/CleanConfirmDlg.h"
#include "resource.h"

namespace {

class TestConfirm : public CCleanConfirmDlg {
public:
    std::function<void(TestConfirm&)> act;
    RECT rcWindow{};
    int checkAtStart = -1;
    bool regionHasCorner = true;
    bool regionHasMiddle = false;

protected:
    BOOL OnInitDialog() override {
        BOOL result = CCleanConfirmDlg::OnInitDialog();
        PostMessage(WM_APP);
        return result;
    }

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_APP) {
            GetWindowRect(&rcWindow);
            checkAtStart =
                static_cast<int>(::SendDlgItemMessageA(m_hWnd, IDC_CLEAN_SHOW_AGAIN, BM_GETCHECK, 0, 0));
            CRgn region;
            region.CreateRectRgn(0, 0, 0, 0);
            if (::GetWindowRgn(m_hWnd, region) != ERROR) {
                regionHasCorner = ::PtInRegion(region, 0, 0) != FALSE;
                regionHasMiddle = ::PtInRegion(region, 187, 60) != FALSE;
            }
            if (act)
                act(*this);
            return 0;
        }
        return CCleanConfirmDlg::WindowProc(msg, wp, lp);
    }
};

void Click(HWND dialog, int id) {
    ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

TEST(CleanConfirm, OpensWithTheAnchorNearItsTopRight) {
    TestConfirm dialog;
    dialog.m_ptAnchor = POINT{600, 400};
    dialog.act = [](TestConfirm& d) {
        Click(d, IDOK);
    };
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.rcWindow.left, 600 - 312);
    EXPECT_EQ(dialog.rcWindow.top, 400 - 9);
    // 187 x 82 dialog units of the 'System' font, 2 pixels each.
    EXPECT_EQ(dialog.rcWindow.right - dialog.rcWindow.left, 374);
    EXPECT_EQ(dialog.rcWindow.bottom - dialog.rcWindow.top, 164);
}

TEST(CleanConfirm, NearTheLeftEdgeItGoesPartlyOffScreen) {
    TestConfirm dialog;
    dialog.m_ptAnchor = POINT{100, 50};
    dialog.act = [](TestConfirm& d) {
        Click(d, IDCANCEL);
    };
    ASSERT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.rcWindow.left, -212);
    EXPECT_EQ(dialog.rcWindow.top, 41);
}

TEST(CleanConfirm, OutlineOfTheBubble) {
    TestConfirm dialog;
    dialog.m_ptAnchor = POINT{500, 300};
    dialog.act = [](TestConfirm& d) {
        Click(d, IDOK);
    };
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_FALSE(dialog.regionHasCorner) << "the white corner is cut away";
    EXPECT_TRUE(dialog.regionHasMiddle);
}

TEST(CleanConfirm, YesKeepsTheTickedBox) {
    TestConfirm dialog;
    dialog.act = [](TestConfirm& d) {
        Click(d, IDOK);
    };
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.checkAtStart, BST_CHECKED);
    EXPECT_EQ(dialog.m_bShowAgain, 1);
}

TEST(CleanConfirm, UntickedAndNoReturnsCancelWithTheBoxOff) {
    TestConfirm dialog;
    dialog.act = [](TestConfirm& d) {
        Click(d, IDC_CLEAN_SHOW_AGAIN);
        Click(d, IDCANCEL);
    };
    ASSERT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.m_bShowAgain, 0);
}

TEST(CleanConfirm, EscapeIsNoAndKeepsTheBoxState) {
    TestConfirm dialog;
    dialog.m_bShowAgain = 0;
    dialog.act = [](TestConfirm& d) {
        Click(d, IDC_CLEAN_SHOW_AGAIN);
        ::SetFocus(d.GetDlgItem(IDOK));
        ::PostMessageA(d.GetDlgItem(IDOK), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    };
    ASSERT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.checkAtStart, BST_UNCHECKED) << "the box starts from the caller's value";
    EXPECT_EQ(dialog.m_bShowAgain, 1);
}

TEST(CleanConfirm, TickingTheBoxAgainAndYes) {
    TestConfirm dialog;
    dialog.m_bShowAgain = 0;
    dialog.act = [](TestConfirm& d) {
        Click(d, IDC_CLEAN_SHOW_AGAIN);
        Click(d, IDOK);
    };
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_bShowAgain, 1);
}

} // namespace
