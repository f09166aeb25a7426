// clicks.exe <recording.wav>: prints one line for each click heard in a
// 16-bit PCM recording: its onset in milliseconds, "accent" or "click", its
// peak level in dBFS and its pitch in Hz.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "../../win/support/ClickOnsets.h"

namespace {

std::uint32_t Read32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t Read16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: clicks <recording.wav>\n");
        return 2;
    }
    std::FILE* file = std::fopen(argv[1], "rb");
    if (!file) {
        std::fprintf(stderr, "clicks: cannot open %s\n", argv[1]);
        return 1;
    }
    std::vector<unsigned char> bytes;
    unsigned char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(file);

    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(&bytes[8], "WAVE", 4) != 0) {
        std::fprintf(stderr, "clicks: not a WAVE file\n");
        return 1;
    }
    unsigned channels = 0;
    unsigned rate = 0;
    unsigned bits = 0;
    const unsigned char* data = nullptr;
    std::size_t dataSize = 0;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::uint32_t size = Read32(&bytes[at + 4]);
        const std::size_t body = at + 8;
        const std::size_t available = bytes.size() - body;
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && size >= 16 && available >= 16) {
            channels = Read16(&bytes[body + 2]);
            rate = Read32(&bytes[body + 4]);
            bits = Read16(&bytes[body + 14]);
        } else if (std::memcmp(&bytes[at], "data", 4) == 0) {
            data = &bytes[body];
            // A recording cut off by its recorder may state more than it holds.
            dataSize = size < available ? size : available;
            break;
        }
        at = body + size + (size & 1);
    }
    if (!data || channels == 0 || rate == 0 || bits != 16) {
        std::fprintf(stderr, "clicks: not 16-bit PCM\n");
        return 1;
    }
    const std::size_t frames = dataSize / (2 * channels);
    std::vector<float> mono(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        float sum = 0.0f;
        for (unsigned c = 0; c < channels; ++c)
            sum += static_cast<std::int16_t>(Read16(data + 2 * (i * channels + c))) / 32768.0f;
        mono[i] = sum / static_cast<float>(channels);
    }
    for (const clicks::Click& click : clicks::FindClicks(mono, rate)) {
        std::printf("%.1f %s %.1f %.0f\n", click.dOnsetMs, click.bAccent ? "accent" : "click",
                    20.0 * std::log10(click.dPeak), click.dFrequency);
    }
    return 0;
}
