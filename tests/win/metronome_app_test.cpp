// Start-up: finding a running copy, and the real program
// started twice and again, each copy in a process of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "RegistryBackup.h"
#include "TestFiles.h"
#include "WinTest.h"
#include "app/MetronomeApp.h"
#include "framework/Handle.h"
#include "mainwnd/MetronomeDlg.h"
#include "model/PatternCodec.h"

namespace {

using namespace std::chrono_literals;

// A top-level window of this thread that answers the question with reply.
class AnsweringWindow {
public:
    explicit AnsweringWindow(LRESULT reply) {
        static const char* kClass = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = Proc;
            wc.hInstance = ::GetModuleHandleA(nullptr);
            wc.lpszClassName = "PwAnsweringWindow";
            ::RegisterClassA(&wc);
            return "PwAnsweringWindow";
        }();
        m_hWnd = ::CreateWindowExA(0, kClass, "answering", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                                   nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reply);
    }
    AnsweringWindow(const AnsweringWindow&) = delete;
    AnsweringWindow& operator=(const AnsweringWindow&) = delete;
    ~AnsweringWindow() { ::DestroyWindow(m_hWnd); }
    HWND Get() const { return m_hWnd; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == UWM_ARE_YOU_ME)
            return ::GetWindowLongPtrA(hwnd, GWLP_USERDATA);
        return ::DefWindowProcA(hwnd, msg, wp, lp);
    }
    HWND m_hWnd;
};

TEST(RunningInstance, OnlyTheWindowAnsweringWithTheMessageNumberIsTaken) {
    AnsweringWindow wrong(static_cast<LRESULT>(UWM_ARE_YOU_ME) + 1);
    AnsweringWindow right(static_cast<LRESULT>(UWM_ARE_YOU_ME));
    AnsweringWindow silent(0);
    HWND found = nullptr;
    ::EnumWindows(CMetronomeApp::FindRunningInstance, reinterpret_cast<LPARAM>(&found));
    EXPECT_EQ(found, right.Get());
}

TEST(RunningInstance, NoAnswerMeansNothingFound) {
    AnsweringWindow wrong(1);
    HWND found = nullptr;
    ::EnumWindows(CMetronomeApp::FindRunningInstance, reinterpret_cast<LPARAM>(&found));
    EXPECT_EQ(found, nullptr);
    EXPECT_FALSE(CMetronomeApp::ActivateRunningInstance());
}

TEST(RunningInstance, MinimisedWindowIsRestoredAndBroughtToTheFront) {
    AnsweringWindow other(0);
    AnsweringWindow running(static_cast<LRESULT>(UWM_ARE_YOU_ME));
    ::ShowWindow(running.Get(), SW_MINIMIZE);
    ::SetForegroundWindow(other.Get());
    pwtest::PumpMessages();
    ASSERT_TRUE(::IsIconic(running.Get()));
    EXPECT_TRUE(CMetronomeApp::ActivateRunningInstance());
    pwtest::PumpMessages();
    EXPECT_FALSE(::IsIconic(running.Get()));
    EXPECT_EQ(::GetForegroundWindow(), running.Get());
}

// A window on a thread that has stopped taking messages must not stop the
// search for the real one.
TEST(RunningInstance, HungWindowIsPassedOver) {
    AnsweringWindow running(static_cast<LRESULT>(UWM_ARE_YOU_ME));
    std::atomic<HWND> hung = nullptr;
    pw::UniqueKernelHandle release(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    // Created after the answering window, so it comes first in the z-order.
    std::thread stuck([&] {
        hung = ::CreateWindowExA(WS_EX_NOACTIVATE, "STATIC", "hung", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
        ::WaitForSingleObject(release.Get(), INFINITE);
        ::DestroyWindow(hung);
    });
    ASSERT_TRUE(pwtest::PumpUntil([&] { return hung != nullptr; }, 10s));
    std::vector<HWND> order;
    ::EnumWindows(
        [](HWND hwnd, LPARAM out) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(out)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&order));
    EXPECT_LT(std::find(order.begin(), order.end(), hung.load()),
              std::find(order.begin(), order.end(), running.Get()));
    HWND found = nullptr;
    ::EnumWindows(CMetronomeApp::FindRunningInstance, reinterpret_cast<LPARAM>(&found));
    ::SetEvent(release.Get());
    stuck.join();
    EXPECT_EQ(found, running.Get());
}

} // namespace
