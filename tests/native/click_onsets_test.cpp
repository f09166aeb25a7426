// The click finder of the end-to-end tests, on synthetic recordings: onsets,
// the accent told from the normal click by pitch, and no double counting.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/win/support/ClickOnsets.h"

namespace {

constexpr double kRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;

void AddTone(std::vector<float>& samples, double atMs, double hz, double level, double lengthMs) {
    const auto start = static_cast<std::size_t>(atMs * kRate / 1000.0);
    const auto length = static_cast<std::size_t>(lengthMs * kRate / 1000.0);
    for (std::size_t i = 0; i < length && start + i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double decay = 1.0 - static_cast<double>(i) / static_cast<double>(length);
        samples[start + i] += static_cast<float>(level * decay * std::sin(2 * kPi * hz * t + kPi / 2));
    }
}

TEST(ClickOnsets, FindsEveryClickAndTellsTheAccentByPitch) {
    std::vector<float> samples(static_cast<std::size_t>(kRate * 5));
    for (int i = 0; i < 8; ++i) {
        const bool accent = i % 4 == 0;
        AddTone(samples, 100.0 + 600.0 * i, accent ? 1900.0 : 1000.0, accent ? 0.71 : 0.56,
                accent ? 45.0 : 35.0);
    }
    auto found = clicks::FindClicks(samples, kRate);
    ASSERT_EQ(found.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        EXPECT_NEAR(found[i].dOnsetMs, 100.0 + 600.0 * i, 1.0) << i;
        EXPECT_EQ(found[i].bAccent, i % 4 == 0) << i;
        const double hz = i % 4 == 0 ? 1900.0 : 1000.0;
        EXPECT_NEAR(found[i].dFrequency, hz, hz * 0.1) << i;
    }
    EXPECT_NEAR(found[0].dPeak, 0.71, 0.01);
    EXPECT_NEAR(found[1].dPeak, 0.56, 0.01);
}

TEST(ClickOnsets, ClicksCloserThanTheQuietGapCountOnce) {
    std::vector<float> samples(static_cast<std::size_t>(kRate));
    AddTone(samples, 100.0, 1000.0, 0.5, 35.0);
    AddTone(samples, 160.0, 1000.0, 0.5, 35.0);
    AddTone(samples, 400.0, 1000.0, 0.5, 35.0);
    auto found = clicks::FindClicks(samples, kRate);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_NEAR(found[1].dOnsetMs, 400.0, 1.0);
}

TEST(ClickOnsets, SilenceAndLowNoiseHaveNoClicks) {
    std::vector<float> samples(static_cast<std::size_t>(kRate), 0.0f);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = (i % 7 == 0) ? 0.02f : -0.01f;
    EXPECT_TRUE(clicks::FindClicks(samples, kRate).empty());
}

} // namespace
