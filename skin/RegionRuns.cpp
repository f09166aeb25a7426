#include "skin/RegionRuns.h"

#include <algorithm>

namespace pw {

std::vector<PixelRun> FindOpaqueRuns(std::span<const std::uint32_t> pixels, int width, int height,
                                     std::uint32_t key, int clientWidth, int clientHeight) {
    std::vector<PixelRun> runs;
    if (width <= 0 || height <= 0 ||
        pixels.size() / static_cast<std::size_t>(width) < static_cast<std::size_t>(height))
        return runs;
    const int w = std::min(width, clientWidth);
    const int h = std::min(height, clientHeight);
    for (int y = 0; y < h; ++y) {
        const std::uint32_t* row =
            pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        int start = 0;
        for (int x = 0; x < w; ++x) {
            if (row[x] != key)
                continue;
            if (start != x)
                runs.push_back(PixelRun{y, start, x});
            start = x + 1;
        }
        if (start < w)
            runs.push_back(PixelRun{y, start, w});
    }
    return runs;
}

} // namespace pw
