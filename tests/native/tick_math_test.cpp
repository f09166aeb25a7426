#include <gtest/gtest.h>

#include <cstdint>

#include "engine/TickMath.h"

namespace {

// The period from its definition in exact integer arithmetic: the whole
// milliseconds of 60000 / (tempo * sub), one more when the fraction's
// thousandths exceed 500.
unsigned ExactPeriod(unsigned tempo, unsigned note) {
    const unsigned divisor = tempo * (note / 4);
    const unsigned whole = 60000 / divisor;
    const unsigned thousandths = 60000 % divisor * 1000 / divisor;
    return thousandths > 500 ? whole + 1 : whole;
}

TEST(TickPeriod, EveryTempoAndNoteMatchesTheDefinition) {
    for (unsigned note : {4u, 8u, 16u}) {
        for (unsigned tempo = 30; tempo <= 300; ++tempo) {
            const unsigned period = ComputeTickPeriod(tempo, note);
            ASSERT_EQ(period, ExactPeriod(tempo, note)) << tempo << "/" << note;
            // The rounded period never strays more than half a millisecond
            // and a thousandth from the exact one.
            const double exact = 60000.0 / (tempo * (note / 4));
            ASSERT_LE(period - exact, 0.5) << tempo << "/" << note;
            ASSERT_LT(exact - period, 0.501) << tempo << "/" << note;
        }
    }
}

TEST(TickPeriod, WorkedExamples) {
    EXPECT_EQ(ComputeTickPeriod(100, 4), 600u);
    EXPECT_EQ(ComputeTickPeriod(70, 4), 857u);
    EXPECT_EQ(ComputeTickPeriod(112, 8), 268u);
    EXPECT_EQ(ComputeTickPeriod(160, 16), 94u);
    EXPECT_EQ(ComputeTickPeriod(300, 16), 50u);
    EXPECT_EQ(ComputeTickPeriod(30, 4), 2000u);
}

TEST(TickPeriod, ExactHalfRoundsDown) {
    EXPECT_EQ(ComputeTickPeriod(80, 16), 187u);
    // 60000 / 48 = 1250 exactly; 60000 / 96 = 625; 60000 / 160 / 4 = 93.75.
    EXPECT_EQ(ComputeTickPeriod(48, 4), 1250u);
    EXPECT_EQ(ComputeTickPeriod(48, 8), 625u);
    // 60000 / 240 / 4 = 62.5 rounds down as well.
    EXPECT_EQ(ComputeTickPeriod(240, 16), 62u);
}

TEST(TickPeriod, NoPeriodWithoutTempoOrNote) {
    EXPECT_EQ(ComputeTickPeriod(0, 4), 0u);
    EXPECT_EQ(ComputeTickPeriod(100, 0), 0u);
    EXPECT_EQ(ComputeTickPeriod(100, 2), 0u);
}

TEST(DriftPerHour, EveryTempoAndNoteMatchesTheDefinition) {
    for (unsigned note : {4u, 8u, 16u}) {
        for (unsigned tempo = 30; tempo <= 300; ++tempo) {
            const std::int64_t hourOfTicks = std::int64_t{note / 4} * ExactPeriod(tempo, note) * tempo * 60;
            ASSERT_EQ(ComputeDriftPerHour(tempo, note), hourOfTicks - 3600000) << tempo << "/" << note;
        }
    }
}

TEST(DriftPerHour, WorkedExamples) {
    EXPECT_EQ(ComputeDriftPerHour(100, 4), 0);
    EXPECT_EQ(ComputeDriftPerHour(70, 4), -600);
    EXPECT_EQ(ComputeDriftPerHour(112, 8), 1920);
    EXPECT_EQ(ComputeDriftPerHour(80, 16), -9600);
    EXPECT_EQ(ComputeDriftPerHour(240, 16), -28800);
    EXPECT_EQ(ComputeDriftPerHour(101, 4), -360);
}

TEST(DriftPerHour, SignFollowsTheRounding) {
    // Rounded up: slow, positive. Rounded down: fast, negative.
    EXPECT_GT(ComputeDriftPerHour(70, 8), 0) << "428.57 rounds up to 429";
    EXPECT_LT(ComputeDriftPerHour(70, 4), 0) << "857.14 rounds down to 857";
}

} // namespace
