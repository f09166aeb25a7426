// The framework layer on real windows: dispatch, reflection, subclassing,
// the modal loop with PreTranslateMessage, data exchange, handle release and
// text fitted to its room.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "WinTest.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "framework/TextFit.h"
#include "framework/WinApp.h"
#include "resource.h"

namespace {

std::vector<std::string> g_log;

class RecordingWnd : public CWnd {
public:
    std::vector<UINT> messages;
    bool throwOnPaint = false;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        messages.push_back(msg);
        if (msg == WM_COMMAND)
            g_log.push_back("parent:command");
        if (msg == WM_USER + 1)
            return 1234;
        if (msg == WM_PAINT && throwOnPaint)
            throw std::runtime_error("painting failed");
        return CWnd::WindowProc(msg, wp, lp);
    }
};

class ReflectingButton : public CButton {
public:
    bool keep = false;

protected:
    bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override {
        if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
            g_log.push_back("child:clicked");
            *result = 0;
            return keep;
        }
        return CButton::OnChildNotify(msg, wp, lp, result);
    }
};

RECT Rect(int x, int y, int w, int h) {
    return RECT{x, y, x + w, y + h};
}

bool Contains(const std::vector<UINT>& v, UINT m) {
    return std::find(v.begin(), v.end(), m) != v.end();
}

TEST(WindowDispatch, OwnClassSeesCreationMessagesAndChainsToDefault) {
    RecordingWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "test", WS_OVERLAPPEDWINDOW, Rect(10, 10, 200, 100), nullptr, 0));
    EXPECT_EQ(wnd.messages.front(), static_cast<UINT>(WM_GETMINMAXINFO));
    EXPECT_TRUE(Contains(wnd.messages, WM_NCCREATE));
    EXPECT_TRUE(Contains(wnd.messages, WM_CREATE));
    EXPECT_EQ(CWnd::FromHandlePermanent(wnd), &wnd);

    EXPECT_EQ(wnd.SendMessage(WM_USER + 1), 1234);
    // Unhandled messages reach the class procedure: the title is really set.
    wnd.SetWindowText("changed");
    char text[32] = {};
    wnd.GetWindowText(text, sizeof text);
    EXPECT_STREQ(text, "changed");

    HWND hwnd = wnd;
    ASSERT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(wnd.messages.back(), static_cast<UINT>(WM_NCDESTROY));
}

TEST(WindowDispatch, SystemClassIsAttachedBeforeItsFirstMessage) {
    RecordingWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP, Rect(0, 0, 200, 100), nullptr, 0));
    RecordingWnd button;
    ASSERT_TRUE(button.Create("BUTTON", "push", WS_CHILD | WS_VISIBLE, Rect(0, 0, 80, 20), &parent, 7));
    EXPECT_EQ(button.messages.front(), static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(button.GetDlgCtrlID(), 7);
}

TEST(WindowDispatch, ExceptionInHandlerDoesNotCrossThePlatform) {
    RecordingWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "x", WS_POPUP | WS_VISIBLE, Rect(0, 0, 50, 50), nullptr, 0));
    wnd.throwOnPaint = true;
    wnd.Invalidate();
    wnd.UpdateWindow();
    pwtest::PumpMessages();
    EXPECT_TRUE(wnd.IsWindow());
}

TEST(Reflection, ChildSeesItsNotificationFirstAndCanKeepIt) {
    RecordingWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP, Rect(0, 0, 200, 100), nullptr, 0));
    ReflectingButton button;
    ASSERT_TRUE(button.Create("BUTTON", "b", WS_CHILD | WS_VISIBLE, Rect(0, 0, 50, 20), &parent, 5));

    g_log.clear();
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(5, BN_CLICKED), reinterpret_cast<LPARAM>(button.m_hWnd));
    EXPECT_EQ(g_log, (std::vector<std::string>{"child:clicked", "parent:command"}));

    g_log.clear();
    button.keep = true;
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(5, BN_CLICKED), reinterpret_cast<LPARAM>(button.m_hWnd));
    EXPECT_EQ(g_log, (std::vector<std::string>{"child:clicked"}));

    // A real click goes the same way.
    g_log.clear();
    button.keep = false;
    button.SendMessage(BM_CLICK);
    EXPECT_EQ(g_log, (std::vector<std::string>{"child:clicked", "parent:command"}));
}

class OwnerDrawButton : public CButton {
public:
    int draws = 0;

protected:
    void DrawItem(DRAWITEMSTRUCT* dis) override {
        ++draws;
        ::FillRect(dis->hDC, &dis->rcItem, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
};

TEST(Reflection, OwnerDrawnButtonDrawsItself) {
    RecordingWnd parent;
    ASSERT_TRUE(
        parent.CreateEx(0, nullptr, "parent", WS_POPUP | WS_VISIBLE, Rect(0, 0, 200, 100), nullptr, 0));
    OwnerDrawButton button;
    ASSERT_TRUE(
        button.Create("BUTTON", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, Rect(10, 10, 40, 20), &parent, 9));
    button.Invalidate();
    button.UpdateWindow();
    EXPECT_GE(button.draws, 1);
    EXPECT_FALSE(Contains(parent.messages, WM_DRAWITEM));
    pwtest::Snapshot shot(button, false);
    EXPECT_EQ(shot.Pixel(20, 10), RGB(0, 0, 0));
}

// Dialog 294 has two push buttons, a static text and check box 1006.
class TestDialog : public CDialog {
public:
    TestDialog() : CDialog(IDD_CLEAN_CONFIRM) {}
    int m_bCheck = 1;
    CButton m_yes;
    std::vector<std::string> pretranslated;
    std::function<void(TestDialog&)> onInit;

    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message == WM_KEYDOWN && msg->wParam == 'Q') {
            pretranslated.push_back("dialog");
            EndDialog(77);
            return TRUE;
        }
        return CDialog::PreTranslateMessage(msg);
    }

protected:
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, IDOK, m_yes);
        DDX_Check(dx, IDC_CLEAN_SHOW_AGAIN, m_bCheck);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        if (onInit)
            onInit(*this);
        return TRUE;
    }
};

class KeyWatcher : public CWnd {
public:
    std::vector<std::string>* log = nullptr;
    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message == WM_KEYDOWN && msg->wParam == 'Q')
            log->push_back("control");
        return FALSE;
    }
};

TEST(ModalDialog, PreTranslateRunsFromTargetUpToDialog) {
    TestDialog dlg;
    KeyWatcher watcher;
    dlg.onInit = [&](TestDialog& d) {
        watcher.log = &d.pretranslated;
        ASSERT_TRUE(watcher.SubclassDlgItem(IDCANCEL, &d));
        ::PostMessageA(watcher, WM_KEYDOWN, 'Q', 0);
    };
    EXPECT_EQ(dlg.DoModal(), 77);
    EXPECT_EQ(dlg.pretranslated, (std::vector<std::string>{"control", "dialog"}));
    EXPECT_EQ(watcher.GetSafeHwnd(), nullptr) << "the control's object is released with its window";
}

TEST(ModalDialog, DataExchangeBindsControlsAndMovesCheckState) {
    TestDialog dlg;
    dlg.m_bCheck = 0;
    int shownState = -1;
    dlg.onInit = [&](TestDialog& d) {
        shownState = static_cast<int>(::SendDlgItemMessageA(d, IDC_CLEAN_SHOW_AGAIN, BM_GETCHECK, 0, 0));
        EXPECT_EQ(CWnd::FromHandlePermanent(d.GetDlgItem(IDOK)), &d.m_yes);
        ::SendDlgItemMessageA(d, IDC_CLEAN_SHOW_AGAIN, BM_SETCHECK, BST_CHECKED, 0);
        ::PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(d.m_yes.m_hWnd));
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(shownState, 0);
    EXPECT_EQ(dlg.m_bCheck, 1);
}

TEST(ModalDialog, EscapeCancelsWithoutTakingData) {
    TestDialog dlg;
    dlg.m_bCheck = 1;
    dlg.onInit = [](TestDialog& d) {
        ::SendDlgItemMessageA(d, IDC_CLEAN_SHOW_AGAIN, BM_SETCHECK, BST_UNCHECKED, 0);
        ::PostMessageA(d.GetDlgItem(IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
    };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.m_bCheck, 1);
}

TEST(ModalDialog, MainWindowOwnsAndIsDisabledWhileItRuns) {
    RecordingWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, Rect(0, 0, 300, 200),
                               nullptr, 0));
    AfxGetApp()->m_pMainWnd = &owner;
    static HWND s_owner;
    static BOOL s_enabledInside;
    s_owner = owner;
    s_enabledInside = TRUE;
    HWND ownerSeen = nullptr;
    TestDialog dlg;
    dlg.onInit = [&](TestDialog& d) {
        ownerSeen = ::GetWindow(d, GW_OWNER);
        // The owner is disabled once the dialog exists: look from inside the loop.
        ::SetTimer(d, 1, 10, [](HWND h, UINT, UINT_PTR id, DWORD) {
            ::KillTimer(h, id);
            s_enabledInside = ::IsWindowEnabled(s_owner);
            ::PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
        });
    };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(ownerSeen, owner.m_hWnd);
    EXPECT_FALSE(s_enabledInside);
    EXPECT_TRUE(owner.IsWindowEnabled());
    AfxGetApp()->m_pMainWnd = nullptr;
}

TEST(Resources, GdiOwnersReleaseEverythingTheyHold) {
    // Wine does not count GDI objects per process, so each handle is checked.
    for (int i = 0; i < 20; ++i) {
        std::vector<HGDIOBJ> objects;
        HDC memory = nullptr;
        {
            CPen pen(PS_SOLID, 2, RGB(1, 2, 3));
            CBrush brush(RGB(4, 5, 6));
            CFont font;
            ASSERT_TRUE(font.CreateFont(-15, FW_BOLD));
            CRgn region;
            ASSERT_TRUE(region.CreateRectRgn(0, 0, 10, 10));
            CMemDC dc;
            memory = dc;
            CBitmap bitmap;
            ASSERT_TRUE(bitmap.CreateCompatibleBitmap(CClientDC(nullptr), 16, 16));
            CBrush moved = std::move(brush);
            EXPECT_FALSE(brush);
            EXPECT_TRUE(moved);
            objects = {pen, moved, font, region, bitmap};
            for (HGDIOBJ object : objects)
                EXPECT_NE(::GetObjectType(object), 0u);
            HGDIOBJ originalPen = ::GetCurrentObject(dc, OBJ_PEN);
            {
                CSelectObject selectBitmap(dc, bitmap);
                CSelectObject selectPen(dc, pen);
                CSelectObject selectFont(dc, font);
                EXPECT_EQ(::GetCurrentObject(dc, OBJ_PEN), pen.GetSafeHandle());
            }
            EXPECT_EQ(::GetCurrentObject(dc, OBJ_PEN), originalPen);
        }
        for (HGDIOBJ object : objects)
            EXPECT_EQ(::GetObjectType(object), 0u);
        EXPECT_EQ(::GetObjectType(memory), 0u);
    }
}

// Text in a named font, in whatever face the system gives: a text too wide
// for its rectangle is drawn whole in the largest smaller font it fits in; a
// text that fits is drawn as DrawText draws it in the named font.
TEST(TextFit, TextTooWideForItsRectangleIsDrawnInTheLargestFontItFits) {
    const std::string text = "Tambourine";
    auto drawn = [&](int width, HFONT font) {
        pwtest::Canvas canvas(200, 30);
        const RECT rc{0, 0, width, 30};
        if (font) {
            CSelectObject select(canvas.Dc(), font);
            RECT box = rc;
            ::DrawTextA(canvas.Dc(), text.c_str(), -1, &box, DT_LEFT | DT_TOP | DT_SINGLELINE);
        } else {
            CFittedText(canvas.Dc(), 15).Draw(text, rc, DT_LEFT | DT_TOP);
        }
        return canvas.Pixels();
    };
    CFont named;
    ASSERT_TRUE(named.CreateFont(15));
    pwtest::Canvas screen(1, 1);
    LONG full = 0;
    {
        CSelectObject select(screen.Dc(), named);
        full = TextExtent(screen.Dc(), text).cx;
    }
    EXPECT_EQ(drawn(200, nullptr), drawn(200, named));

    const int narrow = full * 2 / 3;
    CFont smaller;
    const SIZE fitted = CreateFittingFont(smaller, screen.Dc(), 15, FW_NORMAL, text, narrow);
    LOGFONTA lf{};
    ::GetObjectA(smaller, sizeof lf, &lf);
    std::printf("\"%s\" at 15 pixels: %ld px; in %d px at %ld pixels: %ld px\n", text.c_str(), full, narrow,
                lf.lfHeight, fitted.cx);
    EXPECT_LE(fitted.cx, narrow);
    EXPECT_LT(lf.lfHeight, 15);
    CFont oneLarger;
    ASSERT_TRUE(oneLarger.CreateFont(lf.lfHeight + 1));
    {
        CSelectObject select(screen.Dc(), oneLarger);
        EXPECT_GT(TextExtent(screen.Dc(), text).cx, narrow) << "the largest that fits";
    }
    EXPECT_EQ(drawn(narrow, nullptr), drawn(narrow, smaller));

    CFont tiny;
    CreateFittingFont(tiny, screen.Dc(), 15, FW_NORMAL, text, 1);
    ::GetObjectA(tiny, sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, kMinFitHeight) << "no smaller than can be read";
}

// Every text the program draws asks for its typeface the same way, so where
// "Arial" is missing each height and weight gets the same sans-serif stand-in.
TEST(Resources, EveryFontIsOneSansSerifFace) {
    CMemDC dc;
    std::string firstFace;
    for (int height : {-15, 7, 12, 15, 20, 22}) {
        for (int weight : {FW_NORMAL, FW_BOLD}) {
            CFont font;
            ASSERT_TRUE(font.CreateFont(height, weight));
            CSelectObject select(dc, font);
            char face[LF_FACESIZE] = {};
            ::GetTextFaceA(dc, LF_FACESIZE, face);
            TEXTMETRICA metrics{};
            ::GetTextMetricsA(dc, &metrics);
            if (firstFace.empty())
                firstFace = face;
            EXPECT_EQ(face, firstFace) << height << " " << weight;
            EXPECT_EQ(metrics.tmPitchAndFamily & 0xF0, FF_SWISS) << face << " " << height;
            EXPECT_EQ(metrics.tmWeight >= FW_SEMIBOLD, weight == FW_BOLD) << face << " " << height;
        }
    }
    std::printf("the program's texts are drawn in %s\n", firstFace.c_str());
}

TEST(Resources, WindowObjectDestroysItsWindow) {
    HWND hwnd;
    {
        RecordingWnd wnd;
        ASSERT_TRUE(wnd.CreateEx(0, nullptr, "temp", WS_POPUP, Rect(0, 0, 10, 10), nullptr, 0));
        hwnd = wnd;
    }
    EXPECT_FALSE(::IsWindow(hwnd));
}

} // namespace

// The framework expects one application object, as the program has.
CWinApp theTestApp;
