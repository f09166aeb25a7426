#include "ClickReport.h"

#include <cstdio>

#include "engine/TickMath.h"

namespace pwtest {

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
    const double exactPeriod = 60000.0 / tempo / (note >> 2);
    const HeardClicks heard = AnalyseClicks(samples, ComputeTickPeriod(tempo, note));
    PrintHeard(heard, ticks);
    if (heard.slope > 0) {
        // The timer's own drift, from the mean of all its intervals.
        std::printf(
            "drift:     %+.0f ms/hour heard (linear fit, %.4f ms per click), %+.0f ms/hour of the timer, "
            "%+d ms/hour from the rounded period\n",
            heard.DriftPerHour(exactPeriod), heard.slope, (timerMean / exactPeriod - 1) * 3600000.0,
            ComputeDriftPerHour(tempo, note));
    }
    return heard.onsetMs;
}

} // namespace pwtest
