// The outline of a shaped window: the horizontal runs of a bitmap's pixels
// that do not have the key colour, one row at a time.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace pw {

// Pixels [left, right) of row y.
struct PixelRun {
    int y = 0;
    int left = 0;
    int right = 0;
    friend bool operator==(const PixelRun&, const PixelRun&) = default;
};

// pixels holds width x height colours row by row from the top; a pixel is cut
// when it equals key exactly. Only the part of the bitmap that lies within the
// client area (clientWidth x clientHeight from the top left) is looked at: the
// rest of a larger bitmap is cut off, and client area beyond a smaller one is
// not in any run. Runs come top to bottom, left to right within a row. A pixel
// buffer smaller than width x height gives no runs.
std::vector<PixelRun> FindOpaqueRuns(std::span<const std::uint32_t> pixels, int width, int height,
                                     std::uint32_t key, int clientWidth, int clientHeight);

} // namespace pw
