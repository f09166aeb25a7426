// The runs of kept pixels from which a shaped window's region is built.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "skin/RegionRuns.h"

namespace {

using pw::FindOpaqueRuns;
using pw::PixelRun;

constexpr std::uint32_t K = 0xFFFFFF; // key
constexpr std::uint32_t P = 0xF2FFFF; // the bubble's pale fill, one step from white
constexpr std::uint32_t D = 0x2E231E;

TEST(RegionRuns, RowOfKeyPixelsAddsNothing) {
    std::vector<std::uint32_t> pixels{K, K, K, K, D, D, D, D};
    auto runs = FindOpaqueRuns(pixels, 4, 2, K, 4, 2);
    EXPECT_EQ(runs, (std::vector<PixelRun>{{1, 0, 4}}));
}

TEST(RegionRuns, RowWithoutKeyIsOneFullWidthRun) {
    std::vector<std::uint32_t> pixels{D, P, D, P, D};
    auto runs = FindOpaqueRuns(pixels, 5, 1, K, 5, 1);
    EXPECT_EQ(runs, (std::vector<PixelRun>{{0, 0, 5}}));
}

TEST(RegionRuns, SingleKeptPixelBetweenKeysIsOneByOne) {
    std::vector<std::uint32_t> pixels{K, D, K};
    auto runs = FindOpaqueRuns(pixels, 3, 1, K, 3, 1);
    EXPECT_EQ(runs, (std::vector<PixelRun>{{0, 1, 2}}));
}

TEST(RegionRuns, OnlyExactKeyIsCut) {
    std::vector<std::uint32_t> pixels{P, K, 0xFFFFFE, K, K, 0xFEFFFF};
    auto runs = FindOpaqueRuns(pixels, 6, 1, K, 6, 1);
    EXPECT_EQ(runs, (std::vector<PixelRun>{{0, 0, 1}, {0, 2, 3}, {0, 5, 6}}));
}

TEST(RegionRuns, RunsEndAtKeysAndAtTheRowEnd) {
    std::vector<std::uint32_t> pixels{
        D, D, K, K, D, D, D, //
        K, D, D, K, D, K, D, //
    };
    auto runs = FindOpaqueRuns(pixels, 7, 2, K, 7, 2);
    EXPECT_EQ(runs, (std::vector<PixelRun>{{0, 0, 2}, {0, 4, 7}, {1, 1, 3}, {1, 4, 5}, {1, 6, 7}}));
}

TEST(RegionRuns, BitmapLargerThanClientIsCutToTheClient) {
    // 4 x 3 bitmap, 2 x 2 client: column 2 and row 2 are not looked at.
    std::vector<std::uint32_t> pixels{
        D, D, K, D, //
        K, D, D, D, //
        D, D, D, D, //
    };
    auto runs = FindOpaqueRuns(pixels, 4, 3, K, 2, 2);
    EXPECT_EQ(runs, (std::vector<PixelRun>{{0, 0, 2}, {1, 1, 2}}));
}

TEST(RegionRuns, BitmapSmallerThanClientLeavesTheRestOut) {
    std::vector<std::uint32_t> pixels{D, D, D, K};
    auto runs = FindOpaqueRuns(pixels, 2, 2, K, 10, 8);
    EXPECT_EQ(runs, (std::vector<PixelRun>{{0, 0, 2}, {1, 0, 1}}));
}

TEST(RegionRuns, RowsUseTheBitmapWidthAsStrideWhenCut) {
    std::vector<std::uint32_t> pixels{
        D, K, D, //
        K, D, K, //
    };
    auto runs = FindOpaqueRuns(pixels, 3, 2, K, 2, 2);
    EXPECT_EQ(runs, (std::vector<PixelRun>{{0, 0, 1}, {1, 1, 2}}));
}

TEST(RegionRuns, EmptyOrShortInputGivesNoRuns) {
    std::vector<std::uint32_t> pixels{D, D, D};
    EXPECT_TRUE(FindOpaqueRuns(pixels, 2, 2, K, 2, 2).empty());
    EXPECT_TRUE(FindOpaqueRuns(pixels, 0, 3, K, 2, 2).empty());
    EXPECT_TRUE(FindOpaqueRuns(pixels, 3, 1, K, 0, 1).empty());
    EXPECT_TRUE(FindOpaqueRuns(pixels, 3, 1, K, -4, 1).empty());
    EXPECT_TRUE(FindOpaqueRuns({}, 0, 0, K, 5, 5).empty());
}

} // namespace
