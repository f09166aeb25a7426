// The tick display's arithmetic: swing timing, the needle's direction, the
// drift text and colour, the signature box and the dial's points.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <limits>
#include <optional>

#include "mainwnd/TickTockMath.h"

namespace {

using namespace ticktock;

// Frames until the needle stands at its far end.
unsigned FramesToArrive(const SwingTiming& timing, Needle needle) {
    const double end = needle.bUp ? kLeft : kRight;
    for (unsigned frame = 1; frame < 1000; ++frame) {
        bool done = needle.Advance(timing.Step());
        if (done || needle.dAngle == end)
            return frame;
    }
    return 0;
}

TEST(TickTockMath, FramesFallAsTheTempoRises) {
    EXPECT_EQ(FramesForTempo(30), 60u);
    EXPECT_EQ(FramesForTempo(49), 60u);
    EXPECT_EQ(FramesForTempo(50), 30u);
    EXPECT_EQ(FramesForTempo(120), 30u);
    EXPECT_EQ(FramesForTempo(121), 24u);
    EXPECT_EQ(FramesForTempo(200), 24u);
    EXPECT_EQ(FramesForTempo(201), 12u);
    EXPECT_EQ(FramesForTempo(300), 12u);
}

TEST(TickTockMath, Tempo100QuarterIsThirtyFramesOf20ms) {
    SwingTiming timing = PlanSwing(100, 4, 4);
    EXPECT_EQ(timing.nFrames, 30u);
    EXPECT_EQ(timing.nPeriod, 20u);
    EXPECT_DOUBLE_EQ(timing.dFrac, 0.0);
    EXPECT_DOUBLE_EQ(timing.Step(), 6.0);
    EXPECT_EQ(FramesToArrive(timing, Needle{kLeft, false}), 30u);
}

TEST(TickTockMath, Tempo70ArrivesAfter28FramesOf28ms) {
    SwingTiming timing = PlanSwing(70, 4, 4);
    EXPECT_EQ(timing.nFrames, 30u);
    EXPECT_EQ(timing.nPeriod, 28u);
    EXPECT_NEAR(timing.dFrac, 0.571429, 1e-6);
    EXPECT_NEAR(timing.Step(), 6.571429, 1e-6);
    EXPECT_EQ(FramesToArrive(timing, Needle{kLeft, false}), 28u);
}

TEST(TickTockMath, Tempo240IsTwelveFramesOf20ms) {
    SwingTiming timing = PlanSwing(240, 4, 4);
    EXPECT_EQ(timing.nFrames, 12u);
    EXPECT_EQ(timing.nPeriod, 20u);
    EXPECT_NEAR(timing.Step(), 15.833333, 1e-6);
    EXPECT_EQ(FramesToArrive(timing, Needle{kRight, true}), 12u);
}

TEST(TickTockMath, SixteenthsSwingOverTheirBeats) {
    // User beat mode at 80 with 4 steps per beat: one quarter note.
    SwingTiming user = PlanSwing(80, 4, 16);
    EXPECT_EQ(user.nPeriod, 25u);
    EXPECT_DOUBLE_EQ(user.dFrac, 0.0);
    // Click mode 3/16 at 100: three sixteenths, 450 ms.
    SwingTiming bar = PlanSwing(100, 3, 16);
    EXPECT_EQ(bar.nFrames, 30u);
    EXPECT_EQ(bar.nPeriod, 15u);
    // Eighths swing once per quarter like quarters.
    EXPECT_EQ(PlanSwing(100, 6, 8).nPeriod, 20u);
}

TEST(TickTockMath, TempoZeroHasNoTiming) {
    SwingTiming timing = PlanSwing(0, 4, 4);
    EXPECT_EQ(timing.nFrames, 0u);
    EXPECT_EQ(timing.nPeriod, 0u);
    EXPECT_DOUBLE_EQ(timing.Step(), 0.0);
}

// The needle must stand at its far end no later than the next swing begins,
// for every tempo and beat: otherwise every swing would be cut short.
TEST(TickTockMath, NeedleArrivesBeforeTheNextSwingAtEveryTempo) {
    struct Beat {
        unsigned beats, note;
    };
    const Beat beats[] = {{4, 4}, {6, 8}, {2, 16}, {3, 16}, {5, 16}, {8, 16}, {24, 16}};
    for (unsigned tempo = 30; tempo <= 300; ++tempo) {
        for (const Beat& beat : beats) {
            SwingTiming timing = PlanSwing(tempo, beat.beats, beat.note);
            double swingMs = 60000.0 / tempo;
            if (beat.note == 16)
                swingMs = swingMs * beat.beats / 4;
            unsigned frames = FramesToArrive(timing, Needle{kLeft, false});
            ASSERT_GT(frames, 0u);
            EXPECT_LE(frames * timing.nPeriod, swingMs + 1e-9)
                << "tempo " << tempo << " beat " << beat.beats << "/" << beat.note;
        }
    }
}

TEST(TickTockMath, SwingStartsFromTheEndOnItsSide) {
    Needle needle{kLeft, true};
    needle.BeginSwing();
    EXPECT_EQ(needle.dAngle, kLeft);
    EXPECT_FALSE(needle.bUp);

    needle = Needle{90.0, false};
    needle.BeginSwing();
    EXPECT_EQ(needle.dAngle, kRight);
    EXPECT_TRUE(needle.bUp);

    needle = Needle{90.5, true};
    needle.BeginSwing();
    EXPECT_EQ(needle.dAngle, kLeft);
    EXPECT_FALSE(needle.bUp);
}

TEST(TickTockMath, SwingCutShortAt120SwingsDownFrom180Again) {
    Needle needle{kLeft, false};
    needle.BeginSwing();
    for (int i = 0; i < 10; ++i)
        needle.Advance(6.0);
    ASSERT_DOUBLE_EQ(needle.dAngle, 120.0);
    needle.BeginSwing();
    EXPECT_EQ(needle.dAngle, kLeft);
    EXPECT_FALSE(needle.bUp);
    needle.Advance(6.0);
    EXPECT_DOUBLE_EQ(needle.dAngle, 174.0);

    // Past the middle, it swings back up from the right end.
    for (int i = 0; i < 20; ++i)
        needle.Advance(6.0);
    ASSERT_DOUBLE_EQ(needle.dAngle, 54.0);
    needle.BeginSwing();
    EXPECT_EQ(needle.dAngle, kRight);
    EXPECT_TRUE(needle.bUp);
}

TEST(TickTockMath, LandingExactlyOnTheEndTakesOneMoreFrame) {
    Needle needle{6.0, false};
    EXPECT_FALSE(needle.Advance(6.0));
    EXPECT_EQ(needle.dAngle, 0.0);
    EXPECT_TRUE(needle.Advance(6.0));
    EXPECT_EQ(needle.dAngle, 0.0);

    needle = Needle{170.0, true};
    EXPECT_TRUE(needle.Advance(15.5));
    EXPECT_EQ(needle.dAngle, kLeft);
}

using namespace std::chrono_literals;
const SwingSchedule::Time t0{1h};

TEST(TickTockMath, SwingBeginsWhenHeardAndKeepsItsFrameTimes) {
    SwingSchedule swing;
    const SwingTiming timing = PlanSwing(100, 4, 4);
    EXPECT_FALSE(swing.Ask(t0 + 30ms, timing, t0));
    EXPECT_TRUE(swing.IsWaiting());
    EXPECT_EQ(swing.NextChange(), t0 + 30ms);
    EXPECT_FALSE(swing.Update(t0 + 29ms));
    EXPECT_FALSE(swing.IsSwinging());

    ASSERT_TRUE(swing.Update(t0 + 30ms));
    EXPECT_TRUE(swing.IsSwinging());
    EXPECT_EQ(swing.GetStart(), t0 + 30ms);
    EXPECT_EQ(swing.GetNeedle().dAngle, kLeft) << "at its end as the click is heard";
    EXPECT_EQ(swing.NextChange(), t0 + 50ms);
    EXPECT_FALSE(swing.Update(t0 + 49ms));
    ASSERT_TRUE(swing.Update(t0 + 50ms));
    EXPECT_EQ(swing.GetFrame(), 1u);
    EXPECT_DOUBLE_EQ(swing.GetNeedle().dAngle, 174.0);

    // A late wake catches up: frame 10 is due 200 ms after the start.
    ASSERT_TRUE(swing.Update(t0 + 235ms));
    EXPECT_EQ(swing.GetFrame(), 10u);
    EXPECT_DOUBLE_EQ(swing.GetNeedle().dAngle, 120.0);
    EXPECT_EQ(swing.NextChange(), t0 + 250ms);

    // Frame 30 lands on the end, frame 31 ends the swing without moving the
    // needle; then nothing waits.
    ASSERT_TRUE(swing.Update(t0 + 630ms));
    EXPECT_EQ(swing.GetFrame(), 30u);
    EXPECT_TRUE(swing.IsSwinging());
    EXPECT_FALSE(swing.Update(t0 + 10s));
    EXPECT_EQ(swing.GetFrame(), 31u);
    EXPECT_FALSE(swing.IsSwinging());
    EXPECT_EQ(swing.GetNeedle().dAngle, kRight);
    EXPECT_EQ(swing.NextChange(), std::nullopt);
}

TEST(TickTockMath, SwingAskedForLateBeginsAtOnceFromItsEnd) {
    SwingSchedule swing;
    ASSERT_TRUE(swing.Ask(t0 - 15ms, PlanSwing(100, 4, 4), t0));
    EXPECT_TRUE(swing.IsSwinging());
    EXPECT_EQ(swing.GetStart(), t0);
    EXPECT_EQ(swing.GetFrame(), 0u);
    EXPECT_EQ(swing.GetNeedle().dAngle, kLeft);
    EXPECT_EQ(swing.NextChange(), t0 + 20ms);
}

TEST(TickTockMath, NextSwingWaitsWhileTheRunningOneGoesOn) {
    SwingSchedule swing;
    const SwingTiming timing = PlanSwing(100, 4, 4);
    swing.Ask(t0, timing, t0);
    swing.Update(t0 + 200ms);
    EXPECT_FALSE(swing.Ask(t0 + 230ms, timing, t0 + 200ms));
    EXPECT_EQ(swing.NextChange(), t0 + 220ms) << "the running swing's next frame comes first";
    EXPECT_TRUE(swing.IsSwinging());
    // Drawn late, at 400 ms: the swing before stood at 114 degrees when the
    // next began at 230 ms, so that one starts from the left end again.
    ASSERT_TRUE(swing.Update(t0 + 400ms));
    EXPECT_EQ(swing.GetStart(), t0 + 400ms);
    EXPECT_EQ(swing.GetNeedle().dAngle, kLeft);
    EXPECT_FALSE(swing.GetNeedle().bUp);

    // A stop drops the swing that waits.
    swing.Ask(t0 + 1s, timing, t0 + 500ms);
    swing.Stop();
    EXPECT_EQ(swing.NextChange(), std::nullopt);
    EXPECT_FALSE(swing.Update(t0 + 2s));
    EXPECT_FALSE(swing.IsSwinging());
}

TEST(TickTockMath, DriftGreyFollowsTheDrift) {
    EXPECT_EQ(DriftGrey(0), 0);       // 100/4
    EXPECT_EQ(DriftGrey(-600), 30);   // 70/4
    EXPECT_EQ(DriftGrey(1920), 96);   // 112/8
    EXPECT_EQ(DriftGrey(-9600), 200); // 80 in user beat mode
    EXPECT_EQ(DriftGrey(19), 0);
    EXPECT_EQ(DriftGrey(3999), 199);
    EXPECT_EQ(DriftGrey(4000), 200);
    EXPECT_EQ(DriftGrey(std::numeric_limits<std::int32_t>::min()), 200);
}

TEST(TickTockMath, DriftTextHasASignUnlessExact) {
    EXPECT_EQ(FormatDrift(0), "0.00s / h");
    EXPECT_EQ(FormatDrift(-600), "-0.60s / h");
    EXPECT_EQ(FormatDrift(1920), "+1.92s / h");
    EXPECT_EQ(FormatDrift(-9600), "-9.60s / h");
    EXPECT_EQ(FormatDrift(-28800), "-28.80s / h");
    EXPECT_EQ(FormatDrift(4), "+0.00s / h");
}

TEST(TickTockMath, SignatureBoxWidensForTwoDigits) {
    EXPECT_DOUBLE_EQ(SignatureBoxFactor(4, 4), 1.4);
    EXPECT_DOUBLE_EQ(SignatureBoxFactor(12, 8), 1.7);
    EXPECT_DOUBLE_EQ(SignatureBoxFactor(3, 16), 1.7);
    EXPECT_DOUBLE_EQ(SignatureBoxFactor(12, 16), 2.2);
    EXPECT_DOUBLE_EQ(SignatureBoxFactor(9, 8), 1.4);
    EXPECT_DOUBLE_EQ(SignatureBoxFactor(10, 4), 1.7);
}

TEST(TickTockMath, ArcPointsTruncateEachOffset) {
    EXPECT_EQ(ArcPoint(100, 100, 50, 0.0f), (Point{150, 100}));
    EXPECT_EQ(ArcPoint(100, 100, 50, 90.0f), (Point{100, 50}));
    EXPECT_EQ(ArcPoint(100, 100, 50, 180.0f), (Point{50, 100}));
    // 50 cos 45 = 35.36 and 50 sin 45 likewise: both truncate to 35.
    EXPECT_EQ(ArcPoint(100, 100, 50, 45.0f), (Point{135, 65}));
    // In single precision 50 cos 120 is -24.99998, which truncates to -24.
    EXPECT_EQ(ArcPoint(100, 100, 50, 120.0f), (Point{76, 57}));
}

} // namespace
