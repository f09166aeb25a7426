// Plays click mode through the real main window: its start button, its tick,
// its sound bank and the swinging needle, while the null sink is recorded.
// Prints how long a press of start takes to the first tick and to the first
// heard click, and how well the heard clicks keep time.
//
//   mainwnd_bench.exe [seconds=30] [tempo=100]
//
// Run it through scripts/bench.sh, which provides the headless environment.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ClickReport.h"
#include "Recorder.h"
#include "WinTest.h"
#include "engine/TickMath.h"
#include "framework/WinApp.h"
#include "mainwnd/MetronomeDlg.h"
#include "resource.h"

// A plain application object, and the window without a data store: no
// settings, so no splash and click mode.
CWinApp theBenchApp;

namespace {

constexpr UINT kBegin = WM_APP + 0x710;
constexpr UINT_PTR kEndTimer = 0x711;

long long Now() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

class BenchDlg : public CMetronomeDlg, private ITickObserver {
public:
    BenchDlg(double seconds, unsigned tempo, std::size_t capacity)
        : CMetronomeDlg(nullptr), m_seconds(seconds), m_tempo(tempo), m_ticks(capacity) {}

    // Before the tick plays, on the render thread: ahead of the ear by the
    // stream's latency.
    void OnTick(std::uint64_t, std::int64_t) override {
        const long long now = Now();
        const std::size_t i = m_nTicks.fetch_add(1);
        if (i < m_ticks.size())
            m_ticks[i] = now;
    }

    double m_seconds;
    unsigned m_tempo;
    std::vector<long long> m_ticks;
    std::atomic<std::size_t> m_nTicks{0};
    pwtest::Recorder m_recorder;
    bool m_bRecording = false;
    long long m_recordStart = 0;
    long long m_pressed = 0;
    long long m_started = 0;
    long long m_stopped = 0;
    double m_cpuBefore = 0;
    double m_cpu = 0;
    unsigned m_nFramesBefore = 0;
    unsigned m_nFrames = 0;

protected:
    BOOL OnInitDialog() override {
        BOOL result = CMetronomeDlg::OnInitDialog();
        SetTickObserver(this);
        PostMessage(kBegin);
        return result;
    }

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == kBegin) {
            Begin();
            return 0;
        }
        if (msg == WM_TIMER && wp == kEndTimer) {
            KillTimer(kEndTimer);
            End();
            return 0;
        }
        if (msg == WM_COMMAND && LOWORD(wp) == IDC_MAIN_START && HIWORD(wp) == BN_CLICKED)
            m_started = Now();
        return CMetronomeDlg::WindowProc(msg, wp, lp);
    }

private:
    void Begin() {
        CTempoSlider& slider = pwtest::Child<CTempoSlider>(m_hWnd, IDC_MAIN_SLIDER);
        slider.SetPos(slider.GetRangeMin() + slider.GetRangeMax() - static_cast<int>(m_tempo));
        ApplyTempo();
        m_bRecording = m_recorder.Start(m_seconds + 2.5);
        if (!m_bRecording) {
            std::fprintf(stderr, "%s\n", m_recorder.Error().c_str());
            EndDialog(IDCANCEL);
            return;
        }
        m_recordStart = Now();
        // Half a second of silence first, then a press on start with the mouse.
        ::Sleep(500);
        HWND start = GetDlgItem(IDC_MAIN_START);
        POINT at{46, 19};
        ::ClientToScreen(start, &at);
        ::SetCursorPos(at.x, at.y);
        m_cpuBefore = pwtest::CpuSeconds();
        m_nFramesBefore = pwtest::Child<CTickTockCtrl>(m_hWnd, IDC_MAIN_TICKTOCK).GetFrameCount();
        m_pressed = Now();
        ::PostMessageA(start, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(46, 19));
        ::PostMessageA(start, WM_LBUTTONUP, 0, MAKELPARAM(46, 19));
        SetTimer(kEndTimer, static_cast<UINT>(m_seconds * 1000));
    }

    void End() {
        HWND stop = GetDlgItem(IDC_MAIN_STOP);
        POINT at{46, 19};
        ::ClientToScreen(stop, &at);
        ::SetCursorPos(at.x, at.y);
        ::SendMessageA(stop, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(46, 19));
        ::SendMessageA(stop, WM_LBUTTONUP, 0, MAKELPARAM(46, 19));
        m_stopped = Now();
        m_cpu = pwtest::CpuSeconds() - m_cpuBefore;
        m_nFrames = pwtest::Child<CTickTockCtrl>(m_hWnd, IDC_MAIN_TICKTOCK).GetFrameCount() - m_nFramesBefore;
        EndDialog(IDOK);
    }
};

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 30.0;
    const unsigned tempo = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 100;
    const unsigned period = ComputeTickPeriod(tempo, 4);
    if (seconds <= 0 || tempo < 30 || tempo > 300) {
        std::fprintf(stderr, "usage: mainwnd_bench [seconds] [tempo 30..300]\n");
        return 2;
    }
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);

    BenchDlg dlg(seconds, tempo, static_cast<std::size_t>(seconds * 1000 / period) + 1000);
    theBenchApp.m_pMainWnd = &dlg;
    if (dlg.DoModal() != IDOK)
        return 1;
    theBenchApp.m_pMainWnd = nullptr;
    const auto samples = dlg.m_recorder.Finish();

    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    const auto ms = [&](long long from, long long to) {
        return static_cast<double>(to - from) * 1000.0 / static_cast<double>(frequency.QuadPart);
    };
    const std::size_t ticks = std::min(dlg.m_nTicks.load(), dlg.m_ticks.size());
    std::printf("main window, click mode 4/4, %u bpm: period %u ms, %.0f s\n", tempo, period, seconds);
    if (ticks == 0) {
        std::printf("no tick\n");
        return 1;
    }
    std::printf("start:     press to start handled %.1f ms, to first tick %.1f ms (one period is %u ms)\n",
                ms(dlg.m_pressed, dlg.m_started), ms(dlg.m_pressed, dlg.m_ticks[0]), period);
    std::vector<long long> tickTimes(dlg.m_ticks.begin(), dlg.m_ticks.begin() + static_cast<long>(ticks));
    const auto timer = pwtest::ReportTicks(tickTimes, frequency.QuadPart, period);
    const auto onsets = pwtest::ReportRecording(samples, ticks, tempo, 4, timer.mean);
    if (!onsets.empty()) {
        // The recording holds a twentieth of a second when Start returns.
        const double tickInRecording = ms(dlg.m_recordStart, dlg.m_ticks[0]) + 50.0;
        std::printf(
            "heard:     first click %.1f ms after the press (sound path about %.0f ms after its tick)\n",
            onsets.front() - (ms(dlg.m_recordStart, dlg.m_pressed) + 50.0), onsets.front() - tickInRecording);
    }
    const double swings = static_cast<double>(ticks);
    std::printf("needle:    %u frames drawn, %.1f per swing\n", dlg.m_nFrames, dlg.m_nFrames / swings);
    std::printf("cpu:       %.1f ms per second of playing, window and needle included\n",
                dlg.m_cpu * 1000 / ms(dlg.m_pressed, dlg.m_stopped) * 1000);
    return 0;
}
