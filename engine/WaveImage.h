// Reading a RIFF WAVE image in memory (a sound resource) without copying it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct WaveImage {
    // The "fmt " chunk's data: a WAVEFORMATEX-shaped record, and its size.
    const std::uint8_t* pFormat = nullptr;
    std::uint32_t nFormatSize = 0;
    // The "data" chunk's sample bytes.
    const std::uint8_t* pData = nullptr;
    std::uint32_t nDataSize = 0;
};

// Finds the format and the samples of a WAVE image of size bytes. The chunk
// walk ends at the end of the RIFF chunk or of the image, whichever comes
// first, so a RIFF size that runs past the image still loads and nothing
// outside the image is ever read; a chunk cut short by the end of the image
// keeps the bytes that are there.
bool ParseWave(const void* image, std::size_t size, WaveImage& wave);

// The format record to hand to DirectSound, which reads a whole WAVEFORMATEX
// (18 bytes) and then cbSize more: the chunk's bytes, padded with zeros to at
// least 18, with cbSize cut to the bytes the chunk really has beyond them.
std::vector<std::uint8_t> MakeFormatRecord(const WaveImage& wave);

// Size of WAVEFORMATEX and the offset of its cbSize field.
inline constexpr std::size_t kWaveFormatExSize = 18;
inline constexpr std::size_t kWaveFormatCbSizeOffset = 16;
