// The sounds' samples in the output stream's own format: converted once, when
// a stream of that format opens, so that mixing only adds floats.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/WaveImage.h"

// The output stream's format: interleaved 32-bit float frames.
struct StreamFormat {
    unsigned nRate = 0;
    unsigned nChannels = 0;

    bool operator==(const StreamFormat&) const = default;
};

// True when ConvertSound can read the wave's samples: integer PCM of 8, 16, 24
// or 32 bits or 32-bit float, plain or in an extensible format record.
bool CanConvert(const WaveImage& wave);

// The wave's samples as interleaved floats (full scale 1.0) in the format.
// Mono goes to the first two channels, stereo to a mono stream as the mean of
// both; another rate goes through a Kaiser-windowed sinc interpolator whose
// pass band ends at 95 % of the lower of the two Nyquist frequencies, so that
// what a musician hears is not coloured and nothing folds back. An unreadable
// wave gives nothing.
std::vector<float> ConvertSound(const WaveImage& wave, const StreamFormat& format);
