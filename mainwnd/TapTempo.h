// Tap tempo: the tempo from the times of the user's taps.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>

class CTapTempo {
public:
    // Intervals the tempo is the mean of, at most.
    static constexpr std::size_t kIntervals = 8;
    // A longer pause starts a new series.
    static constexpr std::int64_t kPauseMs = 2000;

    // A tap at a time in milliseconds. From the second tap of a series on,
    // the tempo: 60000 / the mean of the last intervals, rounded to a whole
    // bpm and kept within 30 to 300.
    std::optional<unsigned> Tap(std::int64_t ms);

private:
    std::deque<std::int64_t> m_taps;
};
