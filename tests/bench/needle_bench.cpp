// The needle on its own: the tick display swinging at a tempo in 4/4, each
// swing asked for by a timer tick as the metronome asks for it,
// with the click heard a latency after the tick. Prints the frames drawn, how
// far each swing began from the time its click is heard, and the processor
// time of the window thread, of the tick's timer thread (the needle's frames
// have a timer thread of their own) and of the whole process.
//
//   needle_bench.exe [seconds=20] [tempo=100] [latency ms=30]
//
// Run it through scripts/bench.sh, which provides the headless environment.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ClickReport.h"
#include "WinTest.h"
#include "engine/TickMath.h"
#include "engine/TickTimer.h"
#include "mainwnd/TickTockCtrl.h"

namespace {

using Clock = std::chrono::steady_clock;

// Processor time of a thread in seconds; negative when it cannot be read.
double ThreadSeconds(DWORD threadId) {
    HANDLE thread = ::OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId);
    if (!thread)
        return -1.0;
    FILETIME created, exited, kernel, user;
    const BOOL ok = ::GetThreadTimes(thread, &created, &exited, &kernel, &user);
    ::CloseHandle(thread);
    auto value = [](const FILETIME& t) {
        return static_cast<double>(static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime);
    };
    return ok ? (value(kernel) + value(user)) * 1e-7 : -1.0;
}

// The metronome's tick, reduced to the swing it asks for; the times its
// clicks are heard go into a buffer made beforehand.
class SwingTick : public CTickTimer {
public:
    SwingTick(CTickTockCtrl& display, Clock::duration latency, std::size_t capacity)
        : m_heard(capacity), m_display(display), m_latency(latency) {}
    ~SwingTick() override { Stop(); }

    void OnTick() override {
        m_nThread.store(::GetCurrentThreadId());
        const auto heardAt = Clock::now() + m_latency;
        const std::size_t i = m_nHeard.load();
        if (i < m_heard.size()) {
            m_heard[i] = heardAt;
            m_nHeard.store(i + 1);
        }
        m_display.StartSwing(heardAt);
    }

    std::atomic<DWORD> m_nThread{0};
    std::vector<Clock::time_point> m_heard;
    std::atomic<std::size_t> m_nHeard{0};

private:
    CTickTockCtrl& m_display;
    Clock::duration m_latency;
};

// Dispatches messages until `end`; returns when each swing began.
std::vector<Clock::time_point> SwingStarts(const CTickTockCtrl& display, Clock::time_point end) {
    std::vector<Clock::time_point> starts;
    auto last = display.GetSwingStart();
    while (Clock::now() < end) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
            if (display.GetSwingStart() != last) {
                last = display.GetSwingStart();
                starts.push_back(last);
            }
        }
        // Woken only by the display's messages, as in a message loop.
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::max<long long>(left, 0)),
                                    QS_ALLINPUT);
    }
    return starts;
}

// How far each swing began from the heard click nearest to it.
void PrintOffsets(const std::vector<Clock::time_point>& starts, const std::vector<Clock::time_point>& heard) {
    std::vector<double> offsets;
    for (const auto start : starts) {
        double best = 1e9;
        for (const auto at : heard) {
            const double ms = std::chrono::duration<double, std::milli>(start - at).count();
            if (std::fabs(ms) < std::fabs(best))
                best = ms;
        }
        offsets.push_back(best);
    }
    if (offsets.empty()) {
        std::printf("offset:    no swing began\n");
        return;
    }
    double sum = 0;
    for (double ms : offsets)
        sum += ms;
    std::sort(offsets.begin(), offsets.end());
    std::printf("offset:    %zu swings began %+.2f ms after their click on average (min %+.2f, max %+.2f)\n",
                offsets.size(), sum / static_cast<double>(offsets.size()), offsets.front(), offsets.back());
}

void PrintCpu(const char* what, double seconds, double elapsed) {
    if (seconds < 0)
        std::printf("cpu:       %-15s not readable\n", what);
    else
        std::printf("cpu:       %-15s %7.1f ms in %.1f s: %.2f %% of a core\n", what, seconds * 1000, elapsed,
                    seconds / elapsed * 100);
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 20.0;
    const unsigned tempo = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 100;
    const int latency = argc > 3 ? std::atoi(argv[3]) : 30;
    if (seconds <= 0 || tempo < 30 || tempo > 300 || latency < 0) {
        std::fprintf(stderr, "usage: needle_bench [seconds] [tempo 30..300] [latency ms]\n");
        return 2;
    }
    CWnd parent;
    if (!parent.CreateEx(0, nullptr, "needle", WS_POPUP | WS_VISIBLE, RECT{50, 50, 350, 250}, nullptr, 0))
        return 1;
    // The main window's display: 111 x 72 dialog units.
    HWND stat = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_WHITERECT, 10, 10, 222, 144,
                                  parent, nullptr, nullptr, nullptr);
    CTickTockCtrl display;
    if (!stat || !display.SubclassWindow(stat))
        return 1;
    display.SetTickBeat(4, 4);
    display.SetTempo(tempo);
    ::UpdateWindow(display);
    pwtest::PumpMessages();

    const unsigned period = ComputeTickPeriod(tempo, 4);
    SwingTick tick(display, std::chrono::milliseconds(latency),
                   static_cast<std::size_t>(seconds * 1000 / period) + 10);
    const DWORD windowThread = ::GetCurrentThreadId();
    const double windowBefore = ThreadSeconds(windowThread);
    const double processBefore = pwtest::CpuSeconds();
    const unsigned framesBefore = display.GetFrameCount();
    const auto start = Clock::now();
    if (!tick.Start(period, false))
        return 1;
    const auto starts =
        SwingStarts(display, start + std::chrono::milliseconds(static_cast<long long>(seconds * 1000)));
    const double timer = ThreadSeconds(tick.m_nThread.load());
    tick.Stop();
    display.StopSwing();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const double window = ThreadSeconds(windowThread) - windowBefore;
    const double process = pwtest::CpuSeconds() - processBefore;
    const unsigned frames = display.GetFrameCount() - framesBefore;
    const double swings = elapsed * tempo / 60.0;

    std::printf("needle alone, 4/4 at %u bpm, clicks heard %d ms after their tick, %.1f s\n", tempo, latency,
                elapsed);
    std::printf("needle:    %u frames drawn, %.1f per swing, %.1f per second\n", frames, frames / swings,
                frames / elapsed);
    PrintOffsets(starts, std::vector<Clock::time_point>(
                             tick.m_heard.begin(),
                             tick.m_heard.begin() +
                                 static_cast<long>(std::min(tick.m_nHeard.load(), tick.m_heard.size()))));
    PrintCpu("window thread", windowBefore < 0 ? -1.0 : window, elapsed);
    // The tick's thread is made by its first start: all of its time is this
    // run's.
    PrintCpu("tick's timer thread", timer, elapsed);
    PrintCpu("process", process, elapsed);
    return 0;
}
