// The needle on its own: the tick display swinging at a tempo in 4/4, each
// swing asked for by a multimedia timer tick as the main window's tick asks
// for it. Prints the frames drawn and the processor time of the window thread,
// of the timer thread (the tick and the needle's frame timer share it) and of
// the whole process.
//
//   needle_bench.exe [seconds=20] [tempo=100]
//
// Run it through scripts/bench.sh, which provides the headless environment.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>

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

// The metronome's tick, reduced to the swing it asks for.
class SwingTick : public CTickTimer {
public:
    explicit SwingTick(CTickTockCtrl& display) : m_display(display) {}
    ~SwingTick() override { Stop(); }

    void OnTick() override {
        m_nThread.store(::GetCurrentThreadId());
        m_display.StartSwing();
    }

    std::atomic<DWORD> m_nThread{0};

private:
    CTickTockCtrl& m_display;
};

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
    if (seconds <= 0 || tempo < 30 || tempo > 300) {
        std::fprintf(stderr, "usage: needle_bench [seconds] [tempo 30..300]\n");
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

    SwingTick tick(display);
    const DWORD windowThread = ::GetCurrentThreadId();
    const double windowBefore = ThreadSeconds(windowThread);
    const double processBefore = pwtest::CpuSeconds();
    const unsigned framesBefore = display.GetFrameCount();
    const auto start = Clock::now();
    if (!tick.Start(ComputeTickPeriod(tempo, 4), false))
        return 1;
    pwtest::PumpFor(std::chrono::milliseconds(static_cast<long long>(seconds * 1000)));
    tick.Stop();
    display.StopSwing();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const double window = ThreadSeconds(windowThread) - windowBefore;
    const double process = pwtest::CpuSeconds() - processBefore;
    const unsigned frames = display.GetFrameCount() - framesBefore;
    const double swings = elapsed * tempo / 60.0;

    std::printf("needle alone, 4/4 at %u bpm, %.1f s\n", tempo, elapsed);
    std::printf("needle:    %u frames drawn, %.1f per swing, %.1f per second\n", frames, frames / swings,
                frames / elapsed);
    PrintCpu("window thread", windowBefore < 0 ? -1.0 : window, elapsed);
    // The timer thread is made for the first timer and lives on: all of its
    // time is this run's.
    PrintCpu("timer thread", ThreadSeconds(tick.m_nThread.load()), elapsed);
    PrintCpu("process", process, elapsed);
    return 0;
}
