// The shaped skin dialog on the clean confirmation template and its bubble:
// the region from the bitmap, transparent statics and check boxes, dragging.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

#include "ModalAnswerer.h"
#include "WinTest.h"
#include "resource.h"
#include "skin/RegionRuns.h"
#include "skin/SkinDialog.h"

namespace {

constexpr UINT kBubble = 295;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kPaleFill = RGB(255, 255, 242);

// The clean bubble's dialog shaped by its bitmap, white cut away.
class TestDialog : public CSkinDialog {
public:
    TestDialog() : CSkinDialog(IDD_CLEAN_CONFIRM) {}

protected:
    BOOL OnInitDialog() override {
        CSkinDialog::OnInitDialog();
        SetBitmap(kBubble);
        SetShaped(true);
        SetKeyColour(kWhite);
        return TRUE;
    }
};

// Runs the dialog and the check in it once it has shown.
void RunWith(const std::function<void(TestDialog&)>& check) {
    TestDialog dialog;
    pwtest::ModalAnswerer user([&](HWND) {
        pwtest::PumpMessages();
        ::UpdateWindow(dialog);
        check(dialog);
        dialog.EndDialog(IDOK);
        return true;
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
}

// The window's region, or null when it has none.
CRgn WindowRegion(HWND hwnd) {
    CRgn region;
    region.CreateRectRgn(0, 0, 0, 0);
    if (::GetWindowRgn(hwnd, region) == ERROR)
        return CRgn();
    return region;
}

std::vector<std::uint32_t> BitmapColours(HBITMAP bitmap, SIZE size) {
    CMemDC dc;
    CSelectObject select(dc, bitmap);
    std::vector<std::uint32_t> colours;
    for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx; ++x)
            colours.push_back(::GetPixel(dc, x, y));
    return colours;
}

// The region built the plain way: one union per run of non-key pixels.
CRgn ExpectedRegion(UINT bitmapId, COLORREF key, int clientWidth, int clientHeight) {
    CBitmap bitmap;
    EXPECT_TRUE(bitmap.LoadBitmap(bitmapId));
    SIZE size = bitmap.GetSize();
    CRgn expected;
    expected.CreateRectRgn(0, 0, 0, 0);
    for (const pw::PixelRun& run :
         pw::FindOpaqueRuns(BitmapColours(bitmap, size), size.cx, size.cy, key, clientWidth, clientHeight)) {
        CRgn row;
        row.CreateRectRgn(run.left, run.y, run.right, run.y + 1);
        ::CombineRgn(expected, expected, row, RGN_OR);
    }
    return expected;
}

RECT ClientRect(HWND hwnd) {
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    return rc;
}

TEST(SkinDialog, BubbleOutlineKeepsThePaleFillAndCutsTheWhite) {
    RunWith([](TestDialog& dialog) {
        RECT client = ClientRect(dialog);
        std::printf("dialog client %ld x %ld\n", client.right, client.bottom);
        CRgn region = WindowRegion(dialog);
        ASSERT_TRUE(region);
        EXPECT_TRUE(::PtInRegion(region, 40, 60)) << "pale fill";
        EXPECT_FALSE(::PtInRegion(region, 0, 160)) << "white surround";
        EXPECT_FALSE(::PtInRegion(region, 0, 0));
        EXPECT_TRUE(::EqualRgn(region, ExpectedRegion(kBubble, kWhite, client.right, client.bottom)));
    });
}

TEST(SkinDialog, RegionIsCutToTheSmallerOfBitmapAndClient) {
    RunWith([](TestDialog& dialog) {
        // A client area smaller than the bitmap cuts it.
        dialog.SetWindowPos(nullptr, 0, 0, 200, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        dialog.SetKeyColour(kWhite);
        CRgn small = WindowRegion(dialog);
        RECT box;
        ::GetRgnBox(small, &box);
        EXPECT_LE(box.right, 200);
        EXPECT_LE(box.bottom, 100);
        EXPECT_TRUE(::EqualRgn(small, ExpectedRegion(kBubble, kWhite, 200, 100)));

        // A larger one leaves the area beyond the bitmap out.
        dialog.SetWindowPos(nullptr, 0, 0, 500, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        dialog.SetKeyColour(kWhite);
        CRgn large = WindowRegion(dialog);
        ::GetRgnBox(large, &box);
        EXPECT_LE(box.right, 374);
        EXPECT_LE(box.bottom, 161);
        EXPECT_FALSE(::PtInRegion(large, 400, 100));
        EXPECT_TRUE(::EqualRgn(large, ExpectedRegion(kBubble, kWhite, 500, 300)));
    });
}

TEST(SkinDialog, UnshapedOrWithoutBitmapTheWholeWindowStays) {
    RunWith([](TestDialog& dialog) {
        RECT window;
        dialog.GetWindowRect(&window);
        dialog.SetShaped(false);
        CRgn region = WindowRegion(dialog);
        RECT box;
        ::GetRgnBox(region, &box);
        EXPECT_EQ(box.left, 0);
        EXPECT_EQ(box.top, 0);
        EXPECT_EQ(box.right, window.right - window.left);
        EXPECT_EQ(box.bottom, window.bottom - window.top);
        EXPECT_TRUE(::PtInRegion(region, 0, 0));

        dialog.SetShaped(true);
        EXPECT_FALSE(::PtInRegion(WindowRegion(dialog), 0, 0));
        EXPECT_FALSE(dialog.SetBitmap(4999)) << "no such bitmap";
        EXPECT_TRUE(::PtInRegion(WindowRegion(dialog), 0, 0));
        // Nor is the old one drawn any more.
        ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        EXPECT_NE(pwtest::Snapshot(dialog, pwtest::Snapshot::Source::AsShown).Pixel(40, 60), kPaleFill);
    });
}

// What fraction of a control's area shows the dialog's bitmap unchanged.
double BitmapShowingIn(TestDialog& dialog, HWND control) {
    RECT rc;
    ::GetWindowRect(control, &rc);
    dialog.ScreenToClient(&rc);
    const pwtest::Snapshot screen(dialog, pwtest::Snapshot::Source::AsShown);
    const pwtest::Canvas bubble = pwtest::LoadPicture(kBubble);
    int same = 0;
    int total = 0;
    for (int y = rc.top; y < rc.bottom; ++y) {
        for (int x = rc.left; x < rc.right; ++x) {
            ++total;
            same += screen.Pixel(x, y) == bubble.Pixel(x, y);
        }
    }
    return total ? static_cast<double>(same) / total : 0.0;
}

TEST(SkinDialog, CheckBoxAndTextShowTheBitmapBehindThem) {
    RunWith([](TestDialog& dialog) {
        HWND check = dialog.GetDlgItem(IDC_CLEAN_SHOW_AGAIN);
        HWND text = ::GetWindow(check, GW_HWNDPREV);
        ASSERT_TRUE(check && text);
        double checkShows = BitmapShowingIn(dialog, check);
        double textShows = BitmapShowingIn(dialog, text);
        std::printf("bitmap showing: check box %.2f, text %.2f\n", checkShows, textShows);
        EXPECT_GT(checkShows, 0.6);
        EXPECT_GT(textShows, 0.6);

        // With their own backgrounds they hide it.
        dialog.m_bClearStatics = false;
        ::RedrawWindow(dialog, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        EXPECT_LT(BitmapShowingIn(dialog, check), 0.2);
        EXPECT_LT(BitmapShowingIn(dialog, text), 0.2);
    });
}

TEST(SkinDialog, TrackbarKeepsItsBackgroundBrush) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
    ASSERT_TRUE(::InitCommonControlsEx(&icc));
    RunWith([](TestDialog& dialog) {
        HWND trackbar = ::CreateWindowExA(0, TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 10, 100, 30,
                                          dialog, nullptr, nullptr, nullptr);
        ASSERT_TRUE(trackbar);
        HWND check = dialog.GetDlgItem(IDC_CLEAN_SHOW_AGAIN);
        HBRUSH nullBrush = static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
        CClientDC dc(dialog);
        ::SetBkMode(dc, OPAQUE);
        auto brush = [&](HWND control) {
            return reinterpret_cast<HBRUSH>(dialog.SendMessage(WM_CTLCOLORSTATIC,
                                                               reinterpret_cast<WPARAM>(dc.GetSafeHdc()),
                                                               reinterpret_cast<LPARAM>(control)));
        };
        HBRUSH forTrackbar = brush(trackbar);
        EXPECT_NE(forTrackbar, nullBrush);
        EXPECT_NE(forTrackbar, nullptr);
        EXPECT_EQ(::GetBkMode(dc), OPAQUE);
        EXPECT_EQ(brush(check), nullBrush);
        EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
        ::DestroyWindow(trackbar);
    });
}

TEST(SkinDialog, SurfaceDragOnlyWhenAsked) {
    RunWith([](TestDialog& dialog) {
        MSG msg;
        dialog.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 60));
        EXPECT_FALSE(::PeekMessageA(&msg, dialog, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));

        dialog.m_bDragBody = true;
        dialog.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 60));
        ASSERT_TRUE(::PeekMessageA(&msg, dialog, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
        EXPECT_EQ(msg.wParam, static_cast<WPARAM>(HTCAPTION));
        POINT pt{40, 60};
        dialog.ClientToScreen(&pt);
        EXPECT_EQ(static_cast<short>(LOWORD(msg.lParam)), pt.x);
        EXPECT_EQ(static_cast<short>(HIWORD(msg.lParam)), pt.y);
    });
}

TEST(SkinDialog, BackgroundIsTheBitmap) {
    RunWith([](TestDialog& dialog) {
        const pwtest::Snapshot screen(dialog, pwtest::Snapshot::Source::AsShown);
        const pwtest::Canvas bubble = pwtest::LoadPicture(kBubble);
        EXPECT_EQ(screen.Pixel(40, 60), kPaleFill);
        for (POINT pt : {POINT{300, 20}, POINT{100, 40}, POINT{20, 150}, POINT{360, 100}})
            EXPECT_EQ(screen.Pixel(pt.x, pt.y), bubble.Pixel(pt.x, pt.y)) << pt.x << "," << pt.y;
    });
}

} // namespace
