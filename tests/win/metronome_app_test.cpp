// Start-up: the platform check, finding a running copy, and the real program
// started twice and again, each copy in a process of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "ModalAnswerer.h"
#include "RegistryBackup.h"
#include "TestFiles.h"
#include "WinTest.h"
#include "app/MetronomeApp.h"
#include "framework/Handle.h"
#include "mainwnd/MetronomeDlg.h"
#include "model/PatternCodec.h"

namespace {

using namespace std::chrono_literals;

OSVERSIONINFOA Version(DWORD platform, DWORD major, DWORD minor) {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    version.dwPlatformId = platform;
    version.dwMajorVersion = major;
    version.dwMinorVersion = minor;
    return version;
}

TEST(Platform, VersionRecordSize) {
    EXPECT_EQ(sizeof(OSVERSIONINFOA), 148u);
}

TEST(Platform, ConsumerLineFrom410AndNtLineFrom50) {
    struct Case {
        DWORD platform, major, minor;
        bool accepted;
    };
    const Case cases[] = {
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, false}, {VER_PLATFORM_WIN32_WINDOWS, 4, 10, true},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 90, true}, {VER_PLATFORM_WIN32_WINDOWS, 3, 95, false},
        {VER_PLATFORM_WIN32_WINDOWS, 5, 0, true},  {VER_PLATFORM_WIN32_NT, 4, 0, false},
        {VER_PLATFORM_WIN32_NT, 4, 90, false},     {VER_PLATFORM_WIN32_NT, 3, 51, false},
        {VER_PLATFORM_WIN32_NT, 5, 0, true},       {VER_PLATFORM_WIN32_NT, 10, 0, true},
        {VER_PLATFORM_WIN32s, 5, 0, false},        {3, 10, 0, false},
    };
    for (const Case& c : cases) {
        OSVERSIONINFOA version = Version(c.platform, c.major, c.minor);
        EXPECT_EQ(CMetronomeApp::IsPlatformSupported(&version), c.accepted)
            << "platform " << c.platform << " version " << c.major << "." << c.minor;
    }
}

TEST(Platform, FailedVersionQuerySkipsTheCheck) {
    EXPECT_TRUE(CMetronomeApp::IsPlatformSupported(nullptr));
    EXPECT_TRUE(CMetronomeApp::CheckPlatform(nullptr));
}

TEST(Platform, RefusedPlatformIsToldWithTheExactMessage) {
    OSVERSIONINFOA old = Version(VER_PLATFORM_WIN32_NT, 4, 0);
    OSVERSIONINFOA current = Version(VER_PLATFORM_WIN32_NT, 5, 0);
    // Presses OK on every message box and keeps their texts.
    std::vector<std::string> texts;
    pwtest::ModalAnswerer user([&](HWND box) {
        texts.push_back(pwtest::MessageText(box));
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
    });
    EXPECT_TRUE(CMetronomeApp::CheckPlatform(&current));
    EXPECT_FALSE(CMetronomeApp::CheckPlatform(&old));
    EXPECT_EQ(texts, std::vector<std::string>{"This Program Requires Windows98 or a higher version."});
}

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
