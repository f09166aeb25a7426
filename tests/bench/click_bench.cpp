// Plays click mode through the real multimedia timer and DirectSound, records
// the null sink and reports how well the clicks keep time.
//
//   click_bench.exe [seconds=60] [tempo=100] [note=4]
//
// Run it through scripts/bench.sh, which provides the headless environment.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Recorder.h"
#include "engine/MetronomeEngine.h"
#include "engine/SoundBank.h"
#include "engine/TickMath.h"
#include "engine/TickTimer.h"

namespace {

class NoDisplay : public ITickDisplay {
public:
    void SetTempo(unsigned) override {}
    void SetTickBeat(unsigned, unsigned) override {}
    void StartSwing() override {}
    void StopSwing() override {}
};

// The main window's arrangement, with the time of every tick noted in a
// buffer made beforehand.
class Metronome : public CTickTimer {
public:
    explicit Metronome(std::size_t capacity) : m_ticks(capacity) {}
    void OnTick() override {
        m_engine.OnTick();
        LARGE_INTEGER now;
        ::QueryPerformanceCounter(&now);
        const std::size_t i = m_nTicks.fetch_add(1);
        if (i < m_ticks.size())
            m_ticks[i] = now.QuadPart;
    }
    CSoundBank m_bank;
    NoDisplay m_display;
    CMetronomeEngine m_engine{m_bank, m_display, *this};
    std::vector<long long> m_ticks;
    std::atomic<std::size_t> m_nTicks{0};
};

struct Stats {
    double mean = 0;
    double stdDev = 0;
    double p99 = 0;
    double max = 0;
};

// Mean and spread of intervals, and how far they stray from the period.
Stats Intervals(const std::vector<double>& intervals, double period) {
    Stats stats;
    if (intervals.empty())
        return stats;
    for (double v : intervals)
        stats.mean += v;
    stats.mean /= static_cast<double>(intervals.size());
    std::vector<double> deviations;
    for (double v : intervals) {
        stats.stdDev += (v - stats.mean) * (v - stats.mean);
        deviations.push_back(std::abs(v - period));
    }
    stats.stdDev = std::sqrt(stats.stdDev / static_cast<double>(intervals.size()));
    std::sort(deviations.begin(), deviations.end());
    stats.p99 = deviations[std::min(deviations.size() - 1, deviations.size() * 99 / 100)];
    stats.max = deviations.back();
    return stats;
}

// Slope of the least-squares line through (index, time).
double Slope(const std::vector<double>& index, const std::vector<double>& time) {
    const double n = static_cast<double>(index.size());
    double si = 0, st = 0, sii = 0, sit = 0;
    for (std::size_t k = 0; k < index.size(); ++k) {
        si += index[k];
        st += time[k];
        sii += index[k] * index[k];
        sit += index[k] * time[k];
    }
    return (n * sit - si * st) / (n * sii - si * si);
}

double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto value = [](const FILETIME& t) {
        return static_cast<double>(static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime);
    };
    return (value(kernel) + value(user)) * 1e-7;
}

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
    metronome.m_bank.LoadSounds(true);
    if (!metronome.m_bank.VoiceFor(kAccentSoundId)->IsReady()) {
        std::fprintf(stderr, "no sound device\n");
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
    const double cpuBefore = CpuSeconds();
    metronome.m_bank.ResetStep();
    metronome.m_engine.StartTicking(tempo);
    ::Sleep(static_cast<DWORD>(seconds * 1000));
    metronome.m_engine.StopTicking();
    const double cpu = CpuSeconds() - cpuBefore;
    const std::size_t ticks = std::min(metronome.m_nTicks.load(), metronome.m_ticks.size());
    const auto samples = recorder.Finish();
    LARGE_INTEGER recordEnd;
    ::QueryPerformanceCounter(&recordEnd);

    std::printf("click mode, %u bpm, note %u: period %u ms (exact %.3f ms), %.0f s\n", tempo, note, period,
                exactPeriod, seconds);

    std::vector<double> tickIntervals;
    for (std::size_t i = 1; i < ticks; ++i)
        tickIntervals.push_back((metronome.m_ticks[i] - metronome.m_ticks[i - 1]) * 1000.0 /
                                static_cast<double>(frequency.QuadPart));
    const Stats timer = Intervals(tickIntervals, period);
    std::printf(
        "timer:     %zu ticks, mean interval %.3f ms, std dev %.3f ms, p99 |dev| %.3f ms, max %.3f ms\n",
        ticks, timer.mean, timer.stdDev, timer.p99, timer.max);

    // The recording is as long as asked; taking much longer than that means
    // the sound path stalled and lost time.
    std::printf("recorder:  %.2f s of sound arrived over %.2f s\n",
                static_cast<double>(samples.size()) / pwtest::kRecordRate,
                static_cast<double>(recordEnd.QuadPart - recordStart.QuadPart) / frequency.QuadPart);
    const auto onsets = pwtest::FindOnsets(samples);
    std::vector<double> onsetMs;
    for (std::size_t at : onsets)
        onsetMs.push_back(at * 1000.0 / pwtest::kRecordRate);
    std::vector<double> iois;
    std::vector<double> index{0};
    std::size_t missed = 0;
    std::size_t doubled = 0;
    std::size_t accents = 0;
    for (std::size_t k = 0; k < onsets.size(); ++k) {
        // The accent click is the louder one.
        int peak = 0;
        for (std::size_t i = onsets[k]; i < std::min(samples.size(), onsets[k] + 220); ++i)
            peak = std::max(peak, std::abs(int{samples[i]}));
        accents += peak > 24000 ? 1 : 0;
        if (k == 0)
            continue;
        const double ioi = onsetMs[k] - onsetMs[k - 1];
        const double steps = std::round(ioi / period);
        if (ioi < 0.5 * period)
            ++doubled;
        else if (steps >= 2)
            missed += static_cast<std::size_t>(steps) - 1;
        if (steps == 1)
            iois.push_back(ioi);
        index.push_back(index.back() + std::max(1.0, steps));
    }
    const Stats heard = Intervals(iois, period);
    std::printf("recording: %zu clicks (%zu accents) for %zu ticks, mean IOI %.3f ms, std dev %.3f ms, "
                "p99 |dev| %.3f ms, max %.3f ms, missed %zu, doubled %zu\n",
                onsets.size(), accents, ticks, heard.mean, heard.stdDev, heard.p99, heard.max, missed,
                doubled);
    if (onsets.size() > 2) {
        const double slope = Slope(index, onsetMs);
        // The timer's own drift, from the mean of all its intervals.
        std::printf(
            "drift:     %+.0f ms/hour heard (linear fit, %.4f ms per click), %+.0f ms/hour of the timer, "
            "%+d ms/hour from the rounded period\n",
            (slope / exactPeriod - 1) * 3600000.0, slope, (timer.mean / exactPeriod - 1) * 3600000.0,
            ComputeDriftPerHour(tempo, note));
    }
    std::printf("cpu:       %.1f ms per second of playing\n", cpu * 1000 / seconds);
    return 0;
}
