// Finds the clicks in a recording and tells the accent from the normal click
// by pitch: the accent sounds near 1.9 kHz, the normal click near 1 kHz.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

namespace clicks {

struct Click {
    double dOnsetMs = 0.0;
    // Peak level in the first 30 ms, full scale 1.0.
    double dPeak = 0.0;
    // From the zero crossings in the first 30 ms.
    double dFrequency = 0.0;
    bool bAccent = false;
};

// A click starts where the level first rises above threshold after at least
// quietMs below it; samples are mono, full scale 1.0.
inline std::vector<Click> FindClicks(const std::vector<float>& samples, double rate, float threshold = 0.05f,
                                     double quietMs = 80.0, double splitHz = 1450.0) {
    std::vector<Click> found;
    const auto quiet = static_cast<std::size_t>(rate * quietMs / 1000.0);
    const auto window = static_cast<std::size_t>(rate * 0.030);
    std::size_t lastLoud = 0;
    bool heard = false;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::fabs(samples[i]) <= threshold)
            continue;
        if (!heard || i - lastLoud >= quiet) {
            Click click;
            click.dOnsetMs = 1000.0 * static_cast<double>(i) / rate;
            const std::size_t end = std::min(samples.size(), i + window);
            int crossings = 0;
            for (std::size_t j = i; j < end; ++j) {
                click.dPeak = std::max(click.dPeak, static_cast<double>(std::fabs(samples[j])));
                if (j > i && (samples[j - 1] < 0.0f) != (samples[j] < 0.0f))
                    ++crossings;
            }
            // Crossings are counted while the sound lasts, not over silence.
            std::size_t sounding = i;
            for (std::size_t j = i; j < end; ++j) {
                if (std::fabs(samples[j]) > threshold / 4)
                    sounding = j;
            }
            const double seconds = static_cast<double>(sounding - i + 1) / rate;
            click.dFrequency = crossings / 2.0 / seconds;
            click.bAccent = click.dFrequency > splitHz;
            found.push_back(click);
        }
        heard = true;
        lastLoud = i;
    }
    return found;
}

} // namespace clicks
