#include "ClickReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "Recorder.h"
#include "engine/TickMath.h"

namespace pwtest {

IntervalStats Intervals(const std::vector<double>& intervals, double period) {
    IntervalStats stats;
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

IntervalStats ReportTicks(const std::vector<long long>& ticks, long long frequency, unsigned period) {
    std::vector<double> intervals;
    for (std::size_t i = 1; i < ticks.size(); ++i)
        intervals.push_back((ticks[i] - ticks[i - 1]) * 1000.0 / static_cast<double>(frequency));
    const IntervalStats timer = Intervals(intervals, period);
    std::printf(
        "timer:     %zu ticks, mean interval %.3f ms, std dev %.3f ms, p99 |dev| %.3f ms, max %.3f ms\n",
        ticks.size(), timer.mean, timer.stdDev, timer.p99, timer.max);
    return timer;
}

std::vector<double> ReportRecording(const std::vector<std::int16_t>& samples, std::size_t ticks,
                                    unsigned tempo, unsigned note, double timerMean) {
    const unsigned period = ComputeTickPeriod(tempo, note);
    const double exactPeriod = 60000.0 / tempo / (note >> 2);
    const auto heardClicks = FindClicks(samples);
    std::vector<double> onsetMs;
    for (const clicks::Click& click : heardClicks)
        onsetMs.push_back(click.dOnsetMs);
    std::vector<double> iois;
    std::vector<double> index{0};
    std::size_t missed = 0;
    std::size_t doubled = 0;
    std::size_t accents = 0;
    for (std::size_t k = 0; k < heardClicks.size(); ++k) {
        accents += heardClicks[k].bAccent ? 1 : 0;
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
    const IntervalStats heard = Intervals(iois, period);
    std::printf("recording: %zu clicks (%zu accents) for %zu ticks, mean IOI %.3f ms, std dev %.3f ms, "
                "p99 |dev| %.3f ms, max %.3f ms, missed %zu, doubled %zu\n",
                heardClicks.size(), accents, ticks, heard.mean, heard.stdDev, heard.p99, heard.max, missed,
                doubled);
    if (heardClicks.size() > 2) {
        const double slope = Slope(index, onsetMs);
        // The timer's own drift, from the mean of all its intervals.
        std::printf(
            "drift:     %+.0f ms/hour heard (linear fit, %.4f ms per click), %+.0f ms/hour of the timer, "
            "%+d ms/hour from the rounded period\n",
            (slope / exactPeriod - 1) * 3600000.0, slope, (timerMean / exactPeriod - 1) * 3600000.0,
            ComputeDriftPerHour(tempo, note));
    }
    return onsetMs;
}

} // namespace pwtest
