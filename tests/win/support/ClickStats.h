// What a recording of clicks says about their timing: where each click
// starts, how regular the intervals are, which clicks are missing or doubled
// and how far the clicks drift. Needs no Win32, so that the benchmark's tools
// on the Linux side share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ClickOnsets.h"

namespace pwtest {

// Recordings are mono 16-bit at this rate.
inline constexpr int kRecordRate = 44100;

// The clicks of a recording: each starts where the level first reaches 8000
// within a millisecond of rising past half of it, after at least 4 ms below
// that half.
std::vector<clicks::Click> FindClicks(const std::vector<std::int16_t>& samples);

struct IntervalStats {
    double mean = 0;
    double stdDev = 0;
    // Of the deviations from the period.
    double p99 = 0;
    double max = 0;
    // Intervals more than 1 ms from the period.
    std::size_t overOneMs = 0;
};

// Mean and spread of intervals, and how far they stray from the period.
IntervalStats Intervals(const std::vector<double>& intervals, double period);
// Slope of the least-squares line through (index, time).
double Slope(const std::vector<double>& index, const std::vector<double>& time);

// The clicks of a recording of ticks `period` milliseconds apart.
struct HeardClicks {
    // From the recording's start.
    std::vector<double> onsetMs;
    std::size_t accents = 0;
    // Of the intervals one period long.
    IntervalStats intervals;
    std::size_t missed = 0;
    std::size_t doubled = 0;
    // Milliseconds per tick of the line fitted through the clicks (each
    // numbered by the ticks it follows); 0 with fewer than three clicks.
    double slope = 0;
    // How far that runs from `exact` milliseconds per tick, in ms per hour.
    double DriftPerHour(double exact) const { return slope > 0 ? (slope / exact - 1) * 3600000.0 : 0.0; }
};
HeardClicks AnalyseClicks(const std::vector<std::int16_t>& samples, double period);

// Prints the "recording:" line, with the ticks that were played when known
// (not 0).
void PrintHeard(const HeardClicks& heard, std::size_t ticks);

} // namespace pwtest
