// The clock every time of the probe is read on: the sound server's clock and
// Wine's own.
#pragma once

#include <ctime>

inline double MonotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}
