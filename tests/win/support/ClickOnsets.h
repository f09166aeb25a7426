// Finds the clicks in a recording (mono, full scale 1.0) and tells the accent
// from the normal click by pitch: the accent sounds near 1.9 kHz, the normal
// click near 1 kHz. Needs no Win32, so that it is tested natively too.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace clicks {

struct Click {
    std::size_t nSample = 0;
    double dOnsetMs = 0.0;
    // Peak level in the first 30 ms, full scale 1.0.
    double dPeak = 0.0;
    // The strongest frequency in the first 30 ms, to 25 Hz.
    double dFrequency = 0.0;
    bool bAccent = false;
};

// What counts as the start of a click: the first sample that reaches `level`
// within `attackMs` of rising past `rise` times it, after at least `quietMs`
// below that. A rise of 1 takes the first sample past the level.
struct Onset {
    float level = 0.05f;
    float rise = 1.0f;
    double attackMs = 1.0;
    double quietMs = 80.0;
};

// The frequency between 300 Hz and 4 kHz (in 25 Hz steps) with the most
// energy in samples[from, to), by the Goertzel filter.
inline double StrongestFrequency(const std::vector<float>& samples, std::size_t from, std::size_t to,
                                 double rate) {
    constexpr double kTwoPi = 6.283185307179586;
    double best = 0.0;
    double bestPower = -1.0;
    for (double hz = 300.0; hz <= 4000.0; hz += 25.0) {
        const double coeff = 2.0 * std::cos(kTwoPi * hz / rate);
        double s1 = 0.0;
        double s2 = 0.0;
        for (std::size_t j = from; j < to; ++j) {
            const double s0 = samples[j] + coeff * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
        if (power > bestPower) {
            bestPower = power;
            best = hz;
        }
    }
    return best;
}

inline std::vector<Click> FindClicks(const std::vector<float>& samples, double rate, const Onset& onset = {},
                                     double splitHz = 1450.0) {
    std::vector<Click> found;
    const float start = onset.level * onset.rise;
    const auto quiet = static_cast<std::size_t>(rate * onset.quietMs / 1000.0);
    const auto attack = static_cast<std::size_t>(rate * onset.attackMs / 1000.0);
    const auto window = static_cast<std::size_t>(rate * 0.030);
    bool heard = false;
    std::size_t lastLoud = 0;
    bool rising = false;
    std::size_t riseStart = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const float magnitude = std::fabs(samples[i]);
        if (magnitude >= start) {
            if (!heard || i - lastLoud > quiet) {
                rising = true;
                riseStart = i;
            }
            heard = true;
            lastLoud = i;
        }
        if (rising && magnitude >= onset.level) {
            rising = false;
            Click click;
            click.nSample = i;
            click.dOnsetMs = 1000.0 * static_cast<double>(i) / rate;
            const std::size_t end = std::min(samples.size(), i + window);
            for (std::size_t j = i; j < end; ++j)
                click.dPeak = std::max(click.dPeak, static_cast<double>(std::fabs(samples[j])));
            click.dFrequency = StrongestFrequency(samples, i, end, rate);
            click.bAccent = click.dFrequency > splitHz;
            found.push_back(click);
        } else if (rising && i - riseStart > attack) {
            rising = false;
        }
    }
    return found;
}

} // namespace clicks
