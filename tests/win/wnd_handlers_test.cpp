// The window object's typed handlers and hooks on real windows: which handler
// a message reaches, what reaches the class procedure when a handler leaves a
// message, painting through both WM_PAINT and WM_PRINTCLIENT, and a hook that
// leaves its window while one of the window's messages is being handled.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SuiteHost.h"
#include "WinTest.h"
#include "framework/Gdi.h"
#include "framework/Wnd.h"

namespace {

constexpr COLORREF kPainted = RGB(10, 120, 230);
constexpr UINT kAskHookToLeave = WM_APP + 1;

// The class procedure under the objects: records what reaches it.
std::vector<std::string> g_classSaw;

LRESULT CALLBACK RecordingClassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND)
        g_classSaw.push_back("command " + std::to_string(LOWORD(wp)));
    if (msg == WM_TIMER)
        g_classSaw.push_back("timer " + std::to_string(wp));
    return ::DefWindowProcA(hwnd, msg, wp, lp);
}

const char* RecordingClass() {
    static const ATOM atom = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = RecordingClassProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "PulsewickHandlerTest";
        return ::RegisterClassA(&wc);
    }();
    return atom ? "PulsewickHandlerTest" : nullptr;
}

class CHandled : public CWnd {
public:
    std::vector<std::string> log;
    bool failCreate = false;
    CWnd* hookToRelease = nullptr;

protected:
    int OnCreate(CREATESTRUCTA* cs) override {
        log.push_back("create");
        return failCreate ? -1 : CWnd::OnCreate(cs);
    }
    void OnSize(UINT type, int cx, int cy) override {
        log.push_back("size " + std::to_string(cx) + "x" + std::to_string(cy));
        CWnd::OnSize(type, cx, cy);
    }
    void OnTimer(UINT_PTR id) override {
        log.push_back("timer " + std::to_string(id));
        CWnd::OnTimer(id);
    }
    bool OnCommand(UINT id, UINT code) override {
        log.push_back("command " + std::to_string(id) + " code " + std::to_string(code));
        return id == 1;
    }
    BOOL OnEraseBkgnd(HDC) override { return TRUE; }
    HBRUSH OnCtlColor(HDC, HWND, UINT type) override {
        log.push_back("ctlcolor " + std::to_string(type));
        return static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
    }
    void OnPaint(HDC dc) override {
        log.push_back("paint");
        RECT rc;
        GetClientRect(&rc);
        CBrush brush(::CreateSolidBrush(kPainted));
        ::FillRect(dc, &rc, brush);
    }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == kAskHookToLeave && hookToRelease) {
            log.push_back("object leaves the hook");
            hookToRelease->UnsubclassWindow();
            return 0;
        }
        return CWnd::WindowProc(msg, wp, lp);
    }
};

// A hook that deletes itself when it leaves; the window's object may make it
// leave while the hook is still inside one of the window's messages.
class CLeavingHook : public CWnd {
public:
    explicit CLeavingHook(std::vector<std::string>& log) : m_log(log) {}
    ~CLeavingHook() override { m_log.push_back("hook deleted"); }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == kAskHookToLeave || msg == WM_TIMER) {
            m_log.push_back("hook first");
            LRESULT result = Default();
            m_log.push_back("hook after");
            return result;
        }
        return CWnd::WindowProc(msg, wp, lp);
    }
    void PostNcDestroy() override { delete this; }

private:
    std::vector<std::string>& m_log;
};

class WndHandlersTest : public ::testing::Test {
protected:
    static CWnd& Host() { return pwtest::SuiteHost<CWnd>::Get(RECT{30, 30, 330, 230}); }
    static void TearDownTestSuite() { pwtest::SuiteHost<CWnd>::Release(); }

    void SetUp() override { g_classSaw.clear(); }

    bool CreateChild(CWnd& wnd, const char* className = nullptr) {
        return wnd.Create(className, "", WS_CHILD | WS_VISIBLE, RECT{10, 10, 90, 50}, &Host(), 1);
    }
};

TEST_F(WndHandlersTest, CreateSizeTimerCommandAndColourReachTheirHandlers) {
    CHandled wnd;
    ASSERT_TRUE(CreateChild(wnd, RecordingClass()));
    ASSERT_GE(wnd.log.size(), 2u);
    EXPECT_EQ(wnd.log[0], "create");
    EXPECT_EQ(wnd.log[1], "size 80x40");

    wnd.log.clear();
    wnd.SendMessage(WM_TIMER, 7);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(1, BN_CLICKED));
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(2, EN_CHANGE));
    CClientDC dc(wnd);
    EXPECT_EQ(wnd.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.GetSafeHdc())),
              reinterpret_cast<LRESULT>(::GetStockObject(GRAY_BRUSH)));
    EXPECT_EQ(wnd.log,
              (std::vector<std::string>{"timer 7", "command 1 code 0", "command 2 code 768", "ctlcolor 6"}));
    // The timer went on from the handler; the command it took did not.
    EXPECT_EQ(g_classSaw, (std::vector<std::string>{"timer 7", "command 2"}));
}

TEST_F(WndHandlersTest, CreateFailsWhenTheHandlerSaysSo) {
    CHandled wnd;
    wnd.failCreate = true;
    EXPECT_FALSE(CreateChild(wnd));
    EXPECT_EQ(wnd.GetSafeHwnd(), nullptr);
}

TEST_F(WndHandlersTest, OnPaintDrawsForPaintAndForPrintClient) {
    CHandled wnd;
    ASSERT_TRUE(CreateChild(wnd));
    wnd.log.clear();
    pwtest::Snapshot shown(wnd, pwtest::Snapshot::Source::Redrawn);
    EXPECT_EQ(shown.Pixel(40, 20), kPainted);
    RECT pending{};
    EXPECT_FALSE(::GetUpdateRect(wnd, &pending, FALSE)) << "the paint validated the window";
    pwtest::Snapshot printed(wnd, pwtest::Snapshot::Source::PrintClient);
    EXPECT_EQ(printed.Pixel(40, 20), kPainted);
    EXPECT_EQ(wnd.log, (std::vector<std::string>{"paint", "paint"}));
}

TEST_F(WndHandlersTest, AControlThatDoesNotPaintIsPaintedByItsClass) {
    const DWORD style = WS_CHILD | WS_VISIBLE | SS_BLACKRECT;
    HWND plain =
        ::CreateWindowExA(0, "STATIC", "", style, 100, 60, 80, 40, Host(), nullptr, nullptr, nullptr);
    ASSERT_NE(plain, nullptr);
    CWnd bound;
    ASSERT_TRUE(bound.Create("STATIC", "", style, RECT{10, 60, 90, 100}, &Host(), 2));
    for (auto source : {pwtest::Snapshot::Source::Redrawn, pwtest::Snapshot::Source::PrintClient}) {
        pwtest::Snapshot expected(plain, source);
        pwtest::Snapshot shot(bound, source);
        EXPECT_EQ(shot.Pixel(40, 20), expected.Pixel(40, 20));
        EXPECT_NE(shot.Pixel(40, 20), ::GetSysColor(COLOR_BTNFACE));
    }
    ::DestroyWindow(plain);
}

TEST_F(WndHandlersTest, AHookSeesMessagesFirstAndLeavesTheWindowItsObject) {
    CHandled wnd;
    ASSERT_TRUE(CreateChild(wnd, RecordingClass()));
    auto* hook = new CLeavingHook(wnd.log);
    ASSERT_TRUE(hook->HookWindow(wnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(wnd), &wnd);

    wnd.log.clear();
    wnd.SendMessage(WM_TIMER, 3);
    EXPECT_EQ(wnd.log, (std::vector<std::string>{"hook first", "timer 3", "hook after"}));

    // The object makes the hook leave inside the hook's own handling: the hook
    // goes only when that handling is over.
    wnd.hookToRelease = hook;
    wnd.log.clear();
    wnd.SendMessage(kAskHookToLeave);
    EXPECT_EQ(wnd.log, (std::vector<std::string>{"hook first", "object leaves the hook", "hook after",
                                                 "hook deleted"}));
    wnd.log.clear();
    wnd.SendMessage(WM_TIMER, 4);
    EXPECT_EQ(wnd.log, (std::vector<std::string>{"timer 4"}));
}

TEST_F(WndHandlersTest, AHookGoesWithItsWindow) {
    std::vector<std::string> log;
    CWnd wnd;
    ASSERT_TRUE(CreateChild(wnd));
    ASSERT_TRUE((new CLeavingHook(log))->HookWindow(wnd));
    ASSERT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(log, (std::vector<std::string>{"hook deleted"}));
}

} // namespace
