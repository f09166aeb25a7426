// Sound resources are parsed in place; no image may make the parser read
// outside it or hand out a chunk that lies outside it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "engine/WaveImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so that AddressSanitizer sees the image's end.
    std::unique_ptr<std::uint8_t[]> image(new std::uint8_t[size ? size : 1]);
    if (size)
        std::memcpy(image.get(), data, size);
    WaveImage wave;
    if (!ParseWave(image.get(), size, wave))
        return 0;
    const std::uint8_t* end = image.get() + size;
    if (wave.nFormatSize < 14 || wave.pFormat + wave.nFormatSize > end || wave.pData + wave.nDataSize > end)
        std::abort();
    return 0;
}
