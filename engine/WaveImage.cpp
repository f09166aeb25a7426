#include "engine/WaveImage.h"

#include <algorithm>
#include <cstring>

namespace {

std::uint32_t ReadLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool IsId(const std::uint8_t* p, const char (&id)[5]) {
    return std::memcmp(p, id, 4) == 0;
}

// A "fmt " record shorter than this lacks the block alignment.
constexpr std::uint32_t kMinFormatSize = 14;

} // namespace

bool ParseWave(const void* image, std::size_t size, WaveImage& wave) {
    const auto* bytes = static_cast<const std::uint8_t*>(image);
    if (!bytes || size < 12 || !IsId(bytes, "RIFF") || !IsId(bytes + 8, "WAVE"))
        return false;
    // 64-bit offsets: no size field can wrap the walk around.
    const std::uint64_t end = std::min<std::uint64_t>(8 + std::uint64_t{ReadLe32(bytes + 4)}, size);

    WaveImage found;
    bool haveFormat = false;
    for (std::uint64_t pos = 12; pos + 8 <= end;) {
        const std::uint8_t* header = bytes + pos;
        const std::uint64_t dataPos = pos + 8;
        const std::uint64_t declared = ReadLe32(header + 4);
        const auto present = static_cast<std::uint32_t>(std::min<std::uint64_t>(declared, size - dataPos));
        if (IsId(header, "fmt ")) {
            if (!haveFormat) {
                if (present < kMinFormatSize)
                    return false;
                found.pFormat = bytes + dataPos;
                found.nFormatSize = present;
                haveFormat = true;
                if (found.nDataSize != 0) {
                    wave = found;
                    return true;
                }
            }
        } else if (IsId(header, "data")) {
            found.pData = bytes + dataPos;
            found.nDataSize = present;
            if (haveFormat) {
                wave = found;
                return true;
            }
        }
        pos = dataPos + declared + (declared & 1);
    }
    return false;
}
