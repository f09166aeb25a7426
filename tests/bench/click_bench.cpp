// Plays click mode through the engine and the output stream, records
// the null sink and reports how well the clicks keep time.
//
//   click_bench.exe [seconds=60] [tempo=100] [note=4]
//
// Run it through scripts/bench.sh, which provides the headless environment.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ClickReport.h"
#include "NoTickDisplay.h"
#include "Recorder.h"
#include "engine/MetronomeEngine.h"
#include "engine/SoundBank.h"
#include "engine/TickMath.h"

namespace {

// The main window's arrangement, with the sample of every tick noted in a
// buffer made beforehand.
class Metronome : private ITickObserver {
public:
    explicit Metronome(std::size_t capacity) : m_ticks(capacity) { m_engine.SetTickObserver(this); }
    COutputStream m_stream;
    CSoundBank m_bank{m_stream};
    pwtest::NoTickDisplay m_display;
    CMetronomeEngine m_engine{m_bank, m_display, m_bank.GetStream()};
    std::vector<long long> m_ticks;
    std::atomic<std::size_t> m_nTicks{0};

private:
    void OnTick(std::uint64_t, std::int64_t sample) override {
        const std::size_t i = m_nTicks.fetch_add(1);
        if (i < m_ticks.size())
            m_ticks[i] = sample;
    }
};

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    const unsigned tempo = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 100;
    const unsigned note = argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 4;
    const unsigned period = ComputeTickPeriod(tempo, note);
    if (seconds <= 0 || period == 0) {
        std::fprintf(stderr, "usage: click_bench [seconds] [tempo 30..300] [note 4, 8 or 16]\n");
        return 2;
    }
    const double exactPeriod = 60000.0 / tempo / (note >> 2);
    const auto expectedTicks = static_cast<std::size_t>(seconds * 1000 / period) + 1;

    Metronome metronome(expectedTicks + 1000);
    metronome.m_bank.LoadSounds();
    if (!metronome.m_bank.VoiceFor(kAccentSoundId)->IsReady()) {
        std::fprintf(stderr, "no sounds\n");
        return 1;
    }
    metronome.m_engine.SetBeat(4, note);

    pwtest::Recorder recorder;
    if (!recorder.Start(seconds + 1.5)) {
        std::fprintf(stderr, "%s\n", recorder.Error().c_str());
        return 1;
    }
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER recordStart;
    ::QueryPerformanceCounter(&recordStart);
    const double cpuBefore = pwtest::CpuSeconds();
    metronome.m_bank.ResetStep();
    metronome.m_engine.StartTicking(tempo);
    ::Sleep(static_cast<DWORD>(seconds * 1000));
    metronome.m_engine.StopTicking();
    const double cpu = pwtest::CpuSeconds() - cpuBefore;
    const std::size_t ticks = std::min(metronome.m_nTicks.load(), metronome.m_ticks.size());
    const auto samples = recorder.Finish();
    LARGE_INTEGER recordEnd;
    ::QueryPerformanceCounter(&recordEnd);

    std::printf("click mode, %u bpm, note %u: period %u ms (exact %.3f ms), %.0f s\n", tempo, note, period,
                exactPeriod, seconds);

    const std::vector<long long> tickTimes(metronome.m_ticks.begin(),
                                           metronome.m_ticks.begin() + static_cast<std::ptrdiff_t>(ticks));
    // The ticks' own clock is the stream's: their samples are their times.
    const auto timer = pwtest::ReportTicks(tickTimes, metronome.m_bank.GetStream().GetRate(), period);

    // The recording is as long as asked; taking much longer than that means
    // the sound path stalled and lost time.
    std::printf("recorder:  %.2f s of sound arrived over %.2f s\n",
                static_cast<double>(samples.size()) / pwtest::kRecordRate,
                static_cast<double>(recordEnd.QuadPart - recordStart.QuadPart) / frequency.QuadPart);
    pwtest::ReportRecording(samples, ticks, tempo, note, timer.mean);
    std::printf("cpu:       %.1f ms per second of playing\n", cpu * 1000 / seconds);
    std::printf(
        "stream:    %s, latency %.1f ms, %u late hits, %u skipped ticks, %u underruns (time the device "
        "lost), %u dropouts the grid was kept through\n",
        metronome.m_bank.GetStream().GetDeviceName(), metronome.m_bank.GetStream().GetLatencyMs(),
        metronome.m_bank.GetStream().GetLateHits(), metronome.m_engine.GetSkippedTicks(),
        metronome.m_bank.GetStream().GetUnderruns(), metronome.m_engine.GetDropouts());
    return 0;
}
