// Figures of the click benchmarks: how regular the ticks and the recorded
// clicks are, how far they drift, and what the playing costs.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ClickStats.h"

namespace pwtest {

// Processor time this process has used, in seconds.
double CpuSeconds();

// Prints the "timer:" line for tick times in performance counter units;
// returns the interval statistics.
IntervalStats ReportTicks(const std::vector<long long>& ticks, long long frequency, unsigned period);
// Prints the "recording:" and "drift:" lines for a recording of ticks at this
// tempo and note value (the timer's mean interval beside it); returns the
// click onsets in milliseconds from the recording's start.
std::vector<double> ReportRecording(const std::vector<std::int16_t>& samples, std::size_t ticks,
                                    unsigned tempo, unsigned note, double timerMean);

} // namespace pwtest
