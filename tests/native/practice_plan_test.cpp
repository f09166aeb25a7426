// The practice tools through the engine over long runs: every tick at its
// exact sample as the tempo steps, silent bars, the count-in before a pattern,
// the end of the practice time and a tapped tempo taking over at a beat.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "engine/MetronomeEngine.h"
#include "engine/PracticePlan.h"
#include "engine/TickMath.h"
#include "model/BeatPattern.h"
#include "tests/win/support/BlockRun.h"
#include "tests/win/support/NoTickDisplay.h"

namespace {

using pwtest::Played;

// Counts the swings of the needle the engine asks for.
class SwingCounter : public pwtest::NoTickDisplay {
public:
    void StartSwing(std::chrono::steady_clock::time_point) override { ++m_nSwings; }
    unsigned m_nSwings = 0;
};

class Practice : public ::testing::Test, private IPracticeListener {
protected:
    pwtest::RecordingSequencer m_sequencer;
    SwingCounter m_display;
    pwtest::BlockStream m_stream;
    CMetronomeEngine m_engine{m_sequencer, m_display, m_stream};
    int m_nEnded = 0;
    int m_nChanges = 0;

    void SetUp() override {
        m_engine.SetBeat(4, 4);
        m_engine.SetPracticeListener(this);
        m_stream.m_nPosition = 0;
    }

    // The samples of the sounds played, in order.
    std::vector<std::int64_t> Samples() const {
        std::vector<std::int64_t> samples;
        for (const Played& played : m_sequencer.m_played)
            samples.push_back(played.nSample);
        return samples;
    }

private:
    void OnPracticeChanged() override { ++m_nChanges; }
    void OnPracticeEnded() override { ++m_nEnded; }
};

std::int64_t At(std::int64_t start, std::uint64_t ticks, unsigned period, unsigned rate) {
    return start + static_cast<std::int64_t>(ticks * period * rate / 1000);
}

TEST_F(Practice, TheTrainerStepsIntoEachNewBarOneOldPeriodAfterItsLastBeat) {
    constexpr unsigned rate = 44100;
    PracticePlan plan;
    plan.nTrainerStep = 3;
    plan.nTrainerEvery = 2;
    plan.nTrainerTarget = 131;
    m_engine.SetPracticePlan(plan);
    m_engine.StartTicking(100);
    m_stream.Render(std::int64_t{rate} * 600, rate);
    const std::vector<Played> played = m_sequencer.m_played;
    ASSERT_GT(played.size(), 1200u);

    // Each run of one tempo counted from the tick it began at, one period of
    // the tempo before after the last beat of its last bar.
    unsigned tempo = 100;
    unsigned period = ComputeTickPeriod(tempo, 4);
    std::int64_t start = At(0, 1, period, rate);
    std::uint64_t since = 0;
    for (std::size_t k = 0; k < played.size(); ++k, ++since) {
        ASSERT_EQ(played[k].nSample, At(start, since, period, rate)) << "tick " << k << " at " << tempo;
        ASSERT_EQ(played[k].nSoundId, k % 4 == 0 ? kAccentSoundId : kClickSoundId) << k;
        const std::size_t bar = k / 4;
        if (k % 4 == 3 && (bar + 1) % 2 == 0 && tempo != 131) {
            start = At(start, since + 1, period, rate);
            since = static_cast<std::uint64_t>(-1);
            tempo = std::min(tempo + 3, 131u);
            period = ComputeTickPeriod(tempo, 4);
        }
    }
    EXPECT_EQ(tempo, 131u);
    EXPECT_EQ(m_engine.GetTempo(), 131u);
    EXPECT_EQ(m_engine.GetPracticeStatus().nBar, (played.size() + 3) / 4);
    EXPECT_GT(m_nChanges, 0);
    m_engine.StopTicking();
    EXPECT_EQ(m_engine.GetChosenTempo(), 100u);
    EXPECT_EQ(m_engine.GetTempo(), 100u) << "Stop goes back to the tempo Start began from";
}

TEST_F(Practice, TheTrainerMovesDownToItsTargetAndStaysThere) {
    CPracticeRun run;
    PracticePlan plan;
    plan.nTrainerStep = 7;
    plan.nTrainerEvery = 1;
    plan.nTrainerTarget = 80;
    PracticeBeat beat;
    beat.nTempo = 100;
    beat.nBarTicks = 3;
    run.Begin(plan, beat, true);
    std::vector<unsigned> tempos;
    for (int tick = 0; tick < 18; ++tick) {
        const CPracticeRun::Tick next = run.Next();
        EXPECT_EQ(next.nNextPeriod != 0, tick % 3 == 2 && tick < 9) << tick;
        if (tick % 3 == 0)
            tempos.push_back(run.GetStatus().nTempo);
    }
    EXPECT_EQ(tempos, (std::vector<unsigned>{100, 93, 86, 80, 80, 80}));
}

TEST_F(Practice, SilentBarsKeepTheGridAndTheBarsHeardComeBackOnIt) {
    constexpr unsigned rate = 48000;
    PracticePlan plan;
    plan.nMutePlay = 3;
    plan.nMuteSilent = 2;
    m_engine.SetBeat(3, 8);
    m_engine.SetPracticePlan(plan);
    m_engine.StartTicking(120); // eighths: 250 ms
    m_stream.Render(std::int64_t{rate} * 1500, rate);
    const unsigned period = ComputeTickPeriod(120, 8);
    std::vector<Played> expected;
    for (std::uint64_t tick = 0; At(0, tick + 1, period, rate) + 2048 < m_stream.m_nPosition; ++tick) {
        if (tick / 3 % 5 < 3)
            expected.push_back(
                {tick % 3 == 0 ? kAccentSoundId : kClickSoundId, At(0, tick + 1, period, rate)});
    }
    ASSERT_GE(m_sequencer.m_played.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(m_sequencer.m_played[i].nSample, expected[i].nSample) << i;
        ASSERT_EQ(m_sequencer.m_played[i].nSoundId, expected[i].nSoundId) << i;
    }
}

TEST_F(Practice, TheCountInClicksTheBeatsBeforeThePatternsFirstStepOnlyAfterStart) {
    CCustomBeat pattern;
    pattern.m_nStepsPerBeat = 4;
    CBeatTrack& track = pattern.AddTrack();
    for (int s = 0; s < 16; ++s)
        track.AddCell().m_nSoundId = kFirstInstrumentId + s;
    m_sequencer.SetPattern(&pattern);
    m_engine.SetBeat(3, 4);
    m_engine.SetUserBeatMode(true);
    PracticePlan plan;
    plan.nCountInBars = 2;
    m_engine.SetPracticePlan(plan);
    m_engine.StartTicking(100);
    m_stream.m_pRun->OnBlock(0, 3500, 1000);
    EXPECT_EQ(m_engine.GetPracticeStatus().nCountInLeft, 1u);
    m_stream.m_pRun->OnBlock(3500, 6000, 1000);
    // Six clicks a beat (600 ms) apart, the accent on each bar's first; the
    // pattern one beat after the last, in sixteenths (150 ms).
    const std::vector<Played>& played = m_sequencer.m_played;
    ASSERT_EQ(played.size(), 6u + 12u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(played[i].nSample, 600 + 600 * i) << i;
        EXPECT_EQ(played[i].nSoundId, i % 3 == 0 ? kAccentSoundId : kClickSoundId) << i;
    }
    for (int s = 0; s < 12; ++s) {
        EXPECT_EQ(played[6 + s].nSample, 4200 + 150 * s) << s;
        EXPECT_EQ(played[6 + s].nSoundId, kFirstInstrumentId + s) << s;
    }
    EXPECT_EQ(m_engine.GetPracticeStatus().nBar, 1u) << "bars of three beats of four steps";
    // A new tempo while playing goes on with the pattern, without counting in.
    m_sequencer.m_played.clear();
    m_engine.SetTempo(120);
    m_stream.m_pRun->OnBlock(6000, 6300, 1000);
    ASSERT_EQ(m_sequencer.m_played.size(), 2u);
    EXPECT_TRUE(IsInstrumentId(m_sequencer.m_played[0].nSoundId));
    EXPECT_EQ(m_sequencer.m_played[1].nSample, 6250);
}

TEST_F(Practice, ThePracticeTimeEndsTheBarInProgressWithTheEndSound) {
    PracticePlan plan;
    plan.nMinutes = 1;
    m_engine.SetPracticePlan(plan);
    // 545 ms: a bar of 2180 ms, so the minute is up in the 28th bar.
    m_engine.StartTicking(110);
    m_stream.Render(90000, 1000);
    const std::vector<Played>& played = m_sequencer.m_played;
    ASSERT_EQ(played.size(), 28u * 4 + 1);
    EXPECT_EQ(played.back().nSoundId, kPracticeEndSoundId);
    EXPECT_EQ(played.back().nSample, 545 + 28 * 4 * 545);
    EXPECT_EQ(played[played.size() - 2].nSample, 545 + (28 * 4 - 1) * 545);
    EXPECT_EQ(m_nEnded, 1);
    EXPECT_EQ(m_engine.GetPracticeStatus().nPlayedSeconds, 60u);
}

TEST_F(Practice, ATappedTempoTakesOverAtTheNextBeat) {
    m_engine.SetBeat(4, 8);     // two ticks a beat
    m_engine.StartTicking(100); // 300 ms
    m_stream.m_pRun->OnBlock(0, 1000, 1000);
    m_engine.TapTempo(120); // 250 ms
    m_stream.m_pRun->OnBlock(1000, 2300, 1000);
    EXPECT_EQ(Samples(), (std::vector<std::int64_t>{300, 600, 900, 1200, 1500, 1750, 2000, 2250}));
    EXPECT_EQ(m_engine.GetTempo(), 120u);
    EXPECT_EQ(m_engine.GetChosenTempo(), 120u);
}

} // namespace
