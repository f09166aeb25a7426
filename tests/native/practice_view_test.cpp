// Tap tempo's arithmetic, and what the tick display shows of the practice
// tools and where: never over the needle's sweep, the tempo or the signature.
#include <gtest/gtest.h>

#include "mainwnd/PracticeView.h"
#include "mainwnd/TapTempo.h"

namespace {

TEST(TapTempo, TheMeanOfTheLastEightIntervalsRoundedAndKeptInRange) {
    CTapTempo tap;
    EXPECT_FALSE(tap.Tap(1000).has_value()) << "one tap is no tempo";
    EXPECT_EQ(tap.Tap(1500), 120u);
    // 500, then 600 ms: the mean is 550 ms, 109.09 bpm.
    EXPECT_EQ(tap.Tap(2100), 109u);
    // Nine taps 400 ms apart after them: only the last eight intervals count.
    std::int64_t t = 2100;
    for (int i = 0; i < 9; ++i)
        tap.Tap(t += 400);
    EXPECT_EQ(tap.Tap(t += 400), 150u);
    // A pause of more than two seconds starts a new series; two exactly does
    // not.
    EXPECT_FALSE(tap.Tap(t += 2001).has_value());
    EXPECT_EQ(tap.Tap(t += 2000), 30u);
    CTapTempo fast;
    fast.Tap(0);
    EXPECT_EQ(fast.Tap(100), 300u) << "600 bpm kept at 300";
    EXPECT_EQ(fast.Tap(100), 300u) << "two taps at once";
}

TEST(PracticeView, ShowsWhichToolsAreOnAndHowFarTheRunHasCome) {
    PracticePlan plan;
    PracticeStatus status;
    EXPECT_TRUE(practiceview::Describe(plan, status, true, 100, true).row.empty()) << "all off";

    plan.nTrainerStep = 4;
    plan.nTrainerTarget = 116;
    plan.nMuteSilent = 2;
    plan.nMinutes = 20;
    plan.nCountInBars = 2;
    practiceview::Texts stopped = practiceview::Describe(plan, status, false, 100, true);
    EXPECT_EQ(stopped.row, "trainer 100 -> 116  count-in 2");
    EXPECT_EQ(stopped.mute, "muted");
    EXPECT_FALSE(stopped.bSilentNow);
    EXPECT_EQ(stopped.time, "20 min");
    EXPECT_EQ(practiceview::Describe(plan, status, false, 100, false).row, "trainer 100 -> 116")
        << "no count-in in click mode";

    status.nTempo = 108;
    status.nBar = 9;
    status.bMuted = true;
    status.nPlayedSeconds = 245;
    practiceview::Texts playing = practiceview::Describe(plan, status, true, 108, true);
    EXPECT_EQ(playing.row, "trainer 108 -> 116  bar 9");
    EXPECT_TRUE(playing.bSilentNow);
    EXPECT_EQ(playing.time, "4:05");
    status.nCountInLeft = 1;
    EXPECT_EQ(practiceview::Describe(plan, status, true, 100, true).row, "trainer 100 -> 116  count-in 1");
}

TEST(PracticeView, TheTextsKeepClearOfTheNeedleTheTempoAndTheSignature) {
    auto overlaps = [](const practiceview::Box& a, const practiceview::Box& b) {
        return !a.IsEmpty() && a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
    };
    // The display's own size, and others: signature and tempo boxes placed as
    // the paint places them.
    for (const auto& [w, h] : {std::pair{222, 144}, std::pair{300, 180}, std::pair{180, 120}}) {
        const int font = w / 10;
        const int margin = w / 20;
        const practiceview::Box signature{8, 8, 8 + font * 14 / 10, 8 + font * 3 / 2};
        const practiceview::Box tempo{w - margin - font * 2, margin, w - margin, margin + font + 3};
        const practiceview::Box drift{margin, margin, w - margin, margin + h / 17 + 1};
        const practiceview::Layout layout = practiceview::Place(w, h, h / 17, signature, tempo);
        const practiceview::Sweep sweep = practiceview::NeedleSweep(w, h);
        for (const practiceview::Box& box :
             {layout.row, layout.mute, layout.time, layout.spareLeft, layout.spareRight}) {
            EXPECT_TRUE(practiceview::ClearOfSweep(box, sweep))
                << w << "x" << h << " at " << box.left << "," << box.top;
            EXPECT_FALSE(overlaps(box, signature)) << w;
            EXPECT_FALSE(overlaps(box, tempo)) << w;
            EXPECT_FALSE(overlaps(box, drift)) << w;
            EXPECT_GE(box.left, 0);
            EXPECT_LE(box.right, w);
        }
        EXPECT_GE(layout.row.right - layout.row.left, w / 3) << "room for the trainer";
        EXPECT_GE(layout.mute.right - layout.mute.left, h / 17 * 2) << "room for \"muted\"";
        EXPECT_GE(layout.time.right - layout.time.left, h / 17 * 2) << "room for the time";
    }
    // A box reaching into the sweep is caught.
    const practiceview::Sweep sweep = practiceview::NeedleSweep(222, 144);
    EXPECT_FALSE(practiceview::ClearOfSweep({100, 60, 120, 70}, sweep));
    EXPECT_TRUE(practiceview::ClearOfSweep({0, 0, 20, 10}, sweep));
}

} // namespace
