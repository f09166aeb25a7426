#include "engine/SoundConversion.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr unsigned kFormatPcm = 1;
constexpr unsigned kFormatFloat = 3;
constexpr unsigned kFormatExtensible = 0xFFFE;
// In an extensible record the sub-format's first two bytes are the format tag.
constexpr std::uint32_t kSubFormatOffset = 24;

// The interpolator: a sinc of this many zero crossings on each side under a
// Kaiser window (beta 8: about 80 dB of stop band), kept in a table of this
// many points per zero crossing and read with linear interpolation (error
// near -110 dB).
constexpr int kZeroCrossings = 16;
constexpr int kTableSteps = 512;
constexpr double kKaiserBeta = 8.0;
constexpr double kPassBand = 0.95;

unsigned ReadLe16(const std::uint8_t* p) {
    return static_cast<unsigned>(p[0]) | static_cast<unsigned>(p[1]) << 8;
}

std::uint32_t ReadLe32(const std::uint8_t* p) {
    return ReadLe16(p) | static_cast<std::uint32_t>(ReadLe16(p + 2)) << 16;
}

struct SourceLayout {
    bool bFloat = false;
    unsigned nChannels = 0;
    unsigned nRate = 0;
    unsigned nBytes = 0;  // per sample
    unsigned nStride = 0; // per frame
};

bool ReadLayout(const WaveImage& wave, SourceLayout& layout) {
    if (!wave.pFormat || wave.nFormatSize < 14 || !wave.pData)
        return false;
    const std::uint8_t* f = wave.pFormat;
    unsigned tag = ReadLe16(f);
    if (tag == kFormatExtensible && wave.nFormatSize >= kSubFormatOffset + 2)
        tag = ReadLe16(f + kSubFormatOffset);
    layout.nChannels = ReadLe16(f + 2);
    layout.nRate = ReadLe32(f + 4);
    const unsigned blockAlign = ReadLe16(f + 12);
    if (layout.nChannels == 0 || layout.nRate == 0)
        return false;
    // A record without wBitsPerSample still has the frame size.
    const unsigned bits = wave.nFormatSize >= 16 ? ReadLe16(f + 14) : blockAlign * 8 / layout.nChannels;
    layout.nBytes = bits / 8;
    layout.bFloat = tag == kFormatFloat;
    if (bits % 8 != 0 || (tag != kFormatPcm && !layout.bFloat) || layout.nBytes == 0 || layout.nBytes > 4 ||
        (layout.bFloat && layout.nBytes != 4))
        return false;
    layout.nStride = std::max(blockAlign, layout.nBytes * layout.nChannels);
    return true;
}

float ReadSample(const std::uint8_t* p, const SourceLayout& layout) {
    if (layout.bFloat) {
        float value;
        std::memcpy(&value, p, 4);
        return std::isfinite(value) ? std::clamp(value, -1.0f, 1.0f) : 0.0f;
    }
    switch (layout.nBytes) {
    case 1:
        return (static_cast<int>(p[0]) - 128) / 128.0f;
    case 2:
        return static_cast<float>(static_cast<std::int16_t>(ReadLe16(p))) / 32768.0f;
    case 3:
        return static_cast<float>(static_cast<std::int32_t>(ReadLe16(p) << 8 | std::uint32_t{p[2]} << 24)) /
               2147483648.0f;
    default:
        return static_cast<float>(static_cast<std::int32_t>(ReadLe32(p))) / 2147483648.0f;
    }
}

// The source frames in the stream's channels, still at the source's rate.
std::vector<float> Decode(const WaveImage& wave, const SourceLayout& layout, unsigned channels) {
    const std::size_t frames = wave.nDataSize / layout.nStride;
    std::vector<float> out(frames * channels);
    for (std::size_t i = 0; i < frames; ++i) {
        const std::uint8_t* frame = wave.pData + i * layout.nStride;
        float* to = &out[i * channels];
        if (channels == 1 && layout.nChannels >= 2) {
            to[0] = 0.5f * (ReadSample(frame, layout) + ReadSample(frame + layout.nBytes, layout));
            continue;
        }
        for (unsigned c = 0; c < channels; ++c) {
            if (c < layout.nChannels)
                to[c] = ReadSample(frame + c * layout.nBytes, layout);
            else if (layout.nChannels == 1 && c < 2)
                to[c] = to[0];
        }
    }
    return out;
}

double BesselI0(double x) {
    double sum = 1.0;
    double term = 1.0;
    for (int k = 1; k < 64 && term > 1e-14 * sum; ++k) {
        const double half = x / (2.0 * k);
        term *= half * half;
        sum += term;
    }
    return sum;
}

// The windowed sinc from its centre out to kZeroCrossings, with a trailing 0
// for the interpolation at the edge.
const std::vector<float>& KernelTable() {
    static const std::vector<float> table = [] {
        constexpr double kPi = 3.14159265358979323846;
        std::vector<float> t(kZeroCrossings * kTableSteps + 2, 0.0f);
        const double norm = BesselI0(kKaiserBeta);
        for (int i = 0; i <= kZeroCrossings * kTableSteps; ++i) {
            const double x = static_cast<double>(i) / kTableSteps;
            const double u = x / kZeroCrossings;
            const double sinc = i == 0 ? 1.0 : std::sin(kPi * x) / (kPi * x);
            t[static_cast<std::size_t>(i)] =
                static_cast<float>(sinc * BesselI0(kKaiserBeta * std::sqrt(1.0 - u * u)) / norm);
        }
        return t;
    }();
    return table;
}

std::vector<float> Resample(const std::vector<float>& in, unsigned channels, unsigned inRate,
                            unsigned outRate) {
    const std::size_t inFrames = in.size() / channels;
    const std::size_t outFrames = (inFrames * outRate + inRate - 1) / inRate;
    std::vector<float> out(outFrames * channels, 0.0f);
    const std::vector<float>& table = KernelTable();
    // The cut-off in the source's samples: below both Nyquist frequencies.
    const double cutoff = kPassBand * std::min(1.0, static_cast<double>(outRate) / inRate);
    const double reach = kZeroCrossings / cutoff;
    std::vector<double> sums(channels);
    for (std::size_t k = 0; k < outFrames; ++k) {
        // Output frame k lies at source position k x inRate / outRate.
        const double t = static_cast<double>(k * inRate / outRate) +
                         static_cast<double>(k * inRate % outRate) / static_cast<double>(outRate);
        const auto first = static_cast<std::ptrdiff_t>(std::max(0.0, std::ceil(t - reach)));
        const auto last = std::min(static_cast<std::ptrdiff_t>(inFrames) - 1,
                                   static_cast<std::ptrdiff_t>(std::floor(t + reach)));
        std::fill(sums.begin(), sums.end(), 0.0);
        for (std::ptrdiff_t i = first; i <= last; ++i) {
            const double x = std::abs(t - static_cast<double>(i)) * cutoff * kTableSteps;
            const auto index = static_cast<std::size_t>(x);
            if (index + 1 >= table.size())
                continue;
            const double weight =
                table[index] + (x - static_cast<double>(index)) * (table[index + 1] - table[index]);
            const float* frame = &in[static_cast<std::size_t>(i) * channels];
            for (unsigned c = 0; c < channels; ++c)
                sums[c] += weight * frame[c];
        }
        for (unsigned c = 0; c < channels; ++c)
            out[k * channels + c] = static_cast<float>(sums[c] * cutoff);
    }
    return out;
}

} // namespace

bool CanConvert(const WaveImage& wave) {
    SourceLayout layout;
    return ReadLayout(wave, layout);
}

std::vector<float> ConvertSound(const WaveImage& wave, const StreamFormat& format) {
    SourceLayout layout;
    if (format.nRate == 0 || format.nChannels == 0 || !ReadLayout(wave, layout))
        return {};
    std::vector<float> frames = Decode(wave, layout, format.nChannels);
    if (layout.nRate == format.nRate)
        return frames;
    return Resample(frames, format.nChannels, layout.nRate, format.nRate);
}
