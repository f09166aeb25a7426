// Reading a RIFF WAVE image in memory (a sound resource) without copying it.
#pragma once

#include <cstddef>
#include <cstdint>

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
