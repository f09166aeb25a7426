#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/DeviceOpening.h"

namespace {

// A device that answers with a fixed series of outcomes (the last repeats)
// and a clock that only adds up the waits.
class FakeDevice {
public:
    explicit FakeDevice(std::vector<DeviceOutcome> outcomes) : m_outcomes(std::move(outcomes)) {}

    bool Open(CDeviceOpening& opening) {
        return opening.Open(
            [this] {
                const size_t i = std::min(m_nAttempts, m_outcomes.size() - 1);
                ++m_nAttempts;
                return m_outcomes[i];
            },
            [this](unsigned ms) { m_nWaitedMs += ms; });
    }

    size_t m_nAttempts = 0;
    unsigned m_nWaitedMs = 0;

private:
    std::vector<DeviceOutcome> m_outcomes;
};

TEST(DeviceOpening, MissingDeviceIsTriedOnceWithoutWaiting) {
    CDeviceOpening opening;
    FakeDevice device({DeviceOutcome::Failed});
    EXPECT_FALSE(device.Open(opening));
    EXPECT_EQ(device.m_nAttempts, 1u);
    EXPECT_EQ(device.m_nWaitedMs, 0u);
}

TEST(DeviceOpening, HeldDeviceIsTriedTenTimesOverFourAndAHalfSeconds) {
    CDeviceOpening opening;
    FakeDevice device({DeviceOutcome::Held});
    EXPECT_FALSE(device.Open(opening));
    EXPECT_EQ(device.m_nAttempts, 10u);
    EXPECT_EQ(device.m_nWaitedMs, 4500u);
}

TEST(DeviceOpening, HeldDeviceThatComesFreeIsTaken) {
    CDeviceOpening opening;
    FakeDevice device({DeviceOutcome::Held, DeviceOutcome::Held, DeviceOutcome::Created});
    EXPECT_TRUE(device.Open(opening));
    EXPECT_EQ(device.m_nAttempts, 3u);
    EXPECT_EQ(device.m_nWaitedMs, 1000u);
}

TEST(DeviceOpening, StartUpWithoutDeviceTriesOncePerPass) {
    for (DeviceOutcome outcome : {DeviceOutcome::Failed, DeviceOutcome::Held}) {
        CDeviceOpening opening;
        FakeDevice device({outcome});
        opening.BeginPass();
        for (int voice = 0; voice < 24; ++voice)
            EXPECT_FALSE(device.Open(opening)) << voice;
        opening.EndPass();
        // One series of attempts for the 24 sounds, not one per sound.
        EXPECT_EQ(device.m_nAttempts, outcome == DeviceOutcome::Held ? 10u : 1u);
        EXPECT_LE(device.m_nWaitedMs, 4500u);
    }
}

TEST(DeviceOpening, NextPassTriesAgain) {
    CDeviceOpening opening;
    FakeDevice device({DeviceOutcome::Failed, DeviceOutcome::Created});
    opening.BeginPass();
    EXPECT_FALSE(device.Open(opening));
    EXPECT_FALSE(device.Open(opening));
    opening.EndPass();
    opening.BeginPass();
    EXPECT_TRUE(device.Open(opening));
    opening.EndPass();
    EXPECT_EQ(device.m_nAttempts, 2u);
}

TEST(DeviceOpening, NestedPassesEndWithTheOutermost) {
    CDeviceOpening opening;
    FakeDevice device({DeviceOutcome::Failed});
    opening.BeginPass();
    opening.BeginPass();
    EXPECT_FALSE(device.Open(opening));
    opening.EndPass();
    EXPECT_FALSE(device.Open(opening));
    EXPECT_EQ(device.m_nAttempts, 1u);
    opening.EndPass();
    EXPECT_FALSE(device.Open(opening));
    EXPECT_EQ(device.m_nAttempts, 2u);
}

TEST(DeviceOpening, OutsideAPassEveryOpenTries) {
    CDeviceOpening opening;
    FakeDevice device({DeviceOutcome::Failed});
    EXPECT_FALSE(device.Open(opening));
    EXPECT_FALSE(device.Open(opening));
    EXPECT_EQ(device.m_nAttempts, 2u);
    opening.EndPass();
    EXPECT_FALSE(device.Open(opening));
    EXPECT_EQ(device.m_nAttempts, 3u);
}

} // namespace
