#include "ClickStats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace pwtest {

std::vector<clicks::Click> FindClicks(const std::vector<std::int16_t>& samples) {
    std::vector<float> levels(samples.size());
    std::transform(samples.begin(), samples.end(), levels.begin(),
                   [](std::int16_t v) { return static_cast<float>(v) / 32768.0f; });
    return clicks::FindClicks(levels, kRecordRate, clicks::Onset{8000.0f / 32768.0f, 0.5f, 1.0, 4.0});
}

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
        stats.overOneMs += deviations.back() > 1.0 ? 1 : 0;
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

HeardClicks AnalyseClicks(const std::vector<std::int16_t>& samples, double period) {
    HeardClicks heard;
    const auto found = FindClicks(samples);
    for (const clicks::Click& click : found)
        heard.onsetMs.push_back(click.dOnsetMs);
    std::vector<double> iois;
    std::vector<double> index{0};
    for (std::size_t k = 0; k < found.size(); ++k) {
        heard.accents += found[k].bAccent ? 1 : 0;
        if (k == 0)
            continue;
        const double ioi = heard.onsetMs[k] - heard.onsetMs[k - 1];
        const double steps = std::round(ioi / period);
        if (ioi < 0.5 * period)
            ++heard.doubled;
        else if (steps >= 2)
            heard.missed += static_cast<std::size_t>(steps) - 1;
        if (steps == 1)
            iois.push_back(ioi);
        index.push_back(index.back() + std::max(1.0, steps));
    }
    heard.intervals = Intervals(iois, period);
    if (found.size() > 2)
        heard.slope = Slope(index, heard.onsetMs);
    return heard;
}

void PrintHeard(const HeardClicks& heard, std::size_t ticks) {
    char played[48] = "";
    if (ticks > 0)
        std::snprintf(played, sizeof played, " for %zu ticks", ticks);
    const IntervalStats& s = heard.intervals;
    std::printf(
        "recording: %zu clicks (%zu accents)%s, mean IOI %.3f ms, std dev %.3f ms, p99 |dev| %.3f ms, "
        "max %.3f ms, missed %zu, doubled %zu\n",
        heard.onsetMs.size(), heard.accents, played, s.mean, s.stdDev, s.p99, s.max, heard.missed,
        heard.doubled);
}

} // namespace pwtest
