#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/BeatSequencer.h"
#include "engine/MetronomeEngine.h"
#include "engine/TickMath.h"
#include "model/BeatPattern.h"

namespace {

// Everything the engine does, in order, as text.
using Log = std::vector<std::string>;

class RecordingSequencer : public CBeatSequencer {
public:
    explicit RecordingSequencer(Log& log) : m_log(log) {}
    std::vector<int> m_played;

protected:
    void Retrigger(int soundId, std::int64_t) override {
        m_played.push_back(soundId);
        m_log.push_back("sound " + std::to_string(soundId));
    }

private:
    Log& m_log;
};

class RecordingDisplay : public ITickDisplay {
public:
    explicit RecordingDisplay(Log& log) : m_log(log) {}
    void SetTempo(unsigned tempo) override { m_log.push_back("tempo " + std::to_string(tempo)); }
    void SetTickBeat(unsigned beats, unsigned note) override {
        m_log.push_back("tick beat " + std::to_string(beats) + "/" + std::to_string(note));
    }
    void StartSwing(std::chrono::steady_clock::time_point) override {
        ++m_nSwings;
        m_log.push_back("swing");
    }
    void StopSwing() override { m_log.push_back("stop swing"); }
    int m_nSwings = 0;

private:
    Log& m_log;
};

// The output stream at 1000 samples a second, so that a sample is a
// millisecond, rendering one sample per block: no block holds two ticks.
class RecordingStream : public ITickStream {
public:
    explicit RecordingStream(Log& log) : m_log(log) {}
    void StartRun(IBlockListener* listener) override {
        m_log.push_back("start");
        m_pRun = listener;
    }
    void StopRun(IBlockListener* listener) override {
        m_log.push_back("stop");
        if (m_pRun == listener)
            m_pRun = nullptr;
    }
    std::chrono::steady_clock::time_point HeardTimeOf(std::int64_t) const override { return {}; }
    std::chrono::steady_clock::time_point TimeNow() const override { return {}; }
    // Renders one block; false when no run is going.
    bool RenderBlock() {
        if (!m_pRun)
            return false;
        m_pRun->OnBlock(m_nPosition, m_nPosition + 1, 1000);
        ++m_nPosition;
        return true;
    }
    std::int64_t m_nPosition = 0;
    IBlockListener* m_pRun = nullptr;

private:
    Log& m_log;
};

// One tick as heard and seen: the sounds it started and whether the needle
// began a swing.
struct Tick {
    std::vector<int> sounds;
    bool swing = false;
    bool operator==(const Tick&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Tick& tick) {
    out << "{";
    for (int id : tick.sounds)
        out << id << " ";
    return out << (tick.swing ? "swing}" : "-}");
}

constexpr int A = kAccentSoundId;
constexpr int C = kClickSoundId;

class Metronome : public ::testing::Test, private ITickObserver {
protected:
    Log m_log;
    RecordingSequencer m_sequencer{m_log};
    RecordingDisplay m_display{m_log};
    RecordingStream m_stream{m_log};
    CMetronomeEngine m_engine{m_sequencer, m_display, m_stream};
    CCustomBeat m_pattern;
    // The samples of the ticks run, and the position each run started at.
    std::vector<std::int64_t> m_tickSamples;
    std::int64_t m_nRunStart = 0;

    // Renders blocks until count ticks have played (none at a period of 0).
    std::vector<Tick> RunTicks(int count) {
        std::vector<Tick> ticks;
        for (int i = 0; i < count; ++i) {
            m_sequencer.m_played.clear();
            const int swings = m_display.m_nSwings;
            const std::size_t before = m_tickSamples.size();
            for (int block = 0; block < 10000 && m_tickSamples.size() == before; ++block) {
                if (!m_stream.RenderBlock())
                    break;
            }
            if (m_tickSamples.size() == before)
                break;
            ticks.push_back({m_sequencer.m_played, m_display.m_nSwings != swings});
        }
        return ticks;
    }

    // The first tick of the run a period after its start and every tick a
    // period after the one before: the period, or -1.
    std::int64_t HeardPeriod() const {
        const std::size_t n = m_tickSamples.size();
        if (n < 2 || m_tickSamples[n - 1] - m_tickSamples[n - 2] != m_tickSamples.front() - m_nRunStart)
            return -1;
        return m_tickSamples.front() - m_nRunStart;
    }

    // The start button: back to the start of the bar or pattern, then start.
    void PressStart(unsigned tempo) {
        m_sequencer.ResetStep();
        m_engine.StartTicking(tempo);
        NoteRunStart();
    }

    // The tempo controls while playing.
    void ChangeTempo(unsigned tempo) {
        m_engine.SetTempo(tempo);
        NoteRunStart();
    }

    void NoteRunStart() {
        m_tickSamples.clear();
        m_nRunStart = m_stream.m_nPosition;
    }

    // A pattern of one track whose cell at step s names a sound that tells s.
    void UseNumberedPattern(int steps, int stepsPerBeat) {
        m_pattern.Clear();
        m_pattern.m_nStepsPerBeat = stepsPerBeat;
        CBeatTrack& track = m_pattern.AddTrack();
        for (int s = 0; s < steps; ++s)
            track.AddCell().m_nSoundId = StepSound(s);
        m_sequencer.SetPattern(&m_pattern);
    }

    static int StepSound(int step) { return kFirstInstrumentId + step % kInstrumentCount; }

    void SetUp() override {
        m_engine.SetBeat(4, 4);
        m_engine.SetTickObserver(this);
    }

private:
    void OnTick(std::uint64_t, std::int64_t sample) override { m_tickSamples.push_back(sample); }
};

std::vector<Tick> Repeat(const std::vector<Tick>& bar, int times) {
    std::vector<Tick> out;
    for (int i = 0; i < times; ++i)
        out.insert(out.end(), bar.begin(), bar.end());
    return out;
}

TEST_F(Metronome, ThreeFourAccentsEveryThirdTickAndSwingsEveryTick) {
    m_engine.SetBeat(3, 4);
    PressStart(100);
    EXPECT_EQ(RunTicks(9), Repeat({{{A}, true}, {{C}, true}, {{C}, true}}, 3));
    EXPECT_EQ(HeardPeriod(), 600);
}

TEST_F(Metronome, SixEightTicksEighthsAccentsEverySixSwingsEveryTwo) {
    m_engine.SetBeat(6, 8);
    PressStart(112);
    EXPECT_EQ(RunTicks(12),
              Repeat({{{A}, true}, {{C}, false}, {{C}, true}, {{C}, false}, {{C}, true}, {{C}, false}}, 2));
    EXPECT_EQ(HeardPeriod(), ComputeTickPeriod(112, 8));
    EXPECT_EQ(HeardPeriod(), 268);
}

TEST_F(Metronome, FiveSixteenthsAccentAndSwingTogetherEveryFive) {
    m_engine.SetBeat(5, 16);
    PressStart(80);
    EXPECT_EQ(RunTicks(10), Repeat({{{A}, true}, {{C}, false}, {{C}, false}, {{C}, false}, {{C}, false}}, 2));
    EXPECT_EQ(HeardPeriod(), 187);
}

TEST_F(Metronome, SixteenStepPatternRepeatsAndSwingsEveryFourSteps) {
    UseNumberedPattern(16, 4);
    m_engine.SetUserBeatMode(true);
    EXPECT_EQ(m_log.back(), "tick beat 4/16");
    PressStart(100);
    std::vector<Tick> expected;
    for (int s = 0; s < 32; ++s)
        expected.push_back({{StepSound(s % 16)}, s % 4 == 0});
    EXPECT_EQ(RunTicks(32), expected);
    EXPECT_EQ(HeardPeriod(), 150);
}

TEST_F(Metronome, TempoChangeAtStepSixResumesAtStepFour) {
    UseNumberedPattern(16, 4);
    m_engine.SetUserBeatMode(true);
    PressStart(100);
    RunTicks(6);
    ASSERT_EQ(m_sequencer.GetStep(), 6u);
    ChangeTempo(120);
    EXPECT_EQ(RunTicks(3),
              (std::vector<Tick>{{{StepSound(4)}, true}, {{StepSound(5)}, false}, {{StepSound(6)}, false}}));
    EXPECT_EQ(HeardPeriod(), 125);
}

TEST_F(Metronome, TempoChangeInClickModeResumesAtTheAccent) {
    PressStart(100);
    RunTicks(2);
    ChangeTempo(101);
    EXPECT_EQ(RunTicks(2), (std::vector<Tick>{{{A}, true}, {{C}, true}}));
    EXPECT_EQ(HeardPeriod(), 594);
}

TEST_F(Metronome, BeatChangeWhilePlayingRestartsTheBarWithTheAccent) {
    m_engine.SetBeat(4, 8);
    PressStart(100);
    RunTicks(3);
    m_log.clear();
    m_engine.SetBeat(3, 4);
    EXPECT_EQ(m_log, (Log{"stop", "stop swing", "tick beat 3/4", "start"}))
        << "the run ends before the change";
    NoteRunStart();
    EXPECT_EQ(RunTicks(4), (std::vector<Tick>{{{A}, true}, {{C}, true}, {{C}, true}, {{A}, true}}));
    EXPECT_EQ(HeardPeriod(), 600);
}

TEST_F(Metronome, SilentStepsStillAdvance) {
    m_pattern.m_nStepsPerBeat = 2;
    CBeatTrack& kick = m_pattern.AddTrack();
    CBeatTrack& snare = m_pattern.AddTrack();
    kick.SetCellCount(4);
    snare.SetCellCount(4);
    kick.GetCell(0).m_nSoundId = 129;
    snare.GetCell(0).m_nSoundId = 131;
    snare.GetCell(2).m_nSoundId = 131;
    m_sequencer.SetPattern(&m_pattern);
    m_engine.SetUserBeatMode(true);
    PressStart(100);
    EXPECT_EQ(
        RunTicks(5),
        (std::vector<Tick>{{{129, 131}, true}, {{}, false}, {{131}, true}, {{}, false}, {{129, 131}, true}}));
}

TEST_F(Metronome, CellIdsOutsideTheInstrumentsPlayNothing) {
    CBeatTrack& track = m_pattern.AddTrack();
    for (int id : {128, 151, 180, 181, -1, 1, 100000, 150, 129})
        track.AddCell().m_nSoundId = id;
    m_sequencer.SetPattern(&m_pattern);
    m_engine.SetUserBeatMode(true);
    PressStart(100);
    for (const Tick& tick : RunTicks(7))
        EXPECT_TRUE(tick.sounds.empty()) << tick;
    EXPECT_EQ(RunTicks(2)[1].sounds, std::vector<int>{129});
    EXPECT_EQ(m_sequencer.GetStep(), 0u);
}

TEST_F(Metronome, PatternWithoutTracksOrStepsPlaysNothingAndHoldsTheStep) {
    m_sequencer.SetPattern(&m_pattern);
    m_engine.SetUserBeatMode(true);
    PressStart(100);
    for (const Tick& tick : RunTicks(3))
        EXPECT_TRUE(tick.sounds.empty());
    EXPECT_EQ(m_sequencer.GetStep(), 0u);

    m_pattern.AddTrack();
    m_pattern.AddTrack();
    for (const Tick& tick : RunTicks(3))
        EXPECT_TRUE(tick.sounds.empty());
    EXPECT_EQ(m_sequencer.GetStep(), 0u);

    m_sequencer.SetPattern(nullptr);
    for (const Tick& tick : RunTicks(3))
        EXPECT_TRUE(tick.sounds.empty());
}

TEST_F(Metronome, ShortTracksAndStaleStepsStayInsideThePattern) {
    UseNumberedPattern(8, 4);
    CBeatTrack& shortTrack = m_pattern.AddTrack();
    shortTrack.SetCellCount(2);
    shortTrack.GetCell(1).m_nSoundId = 150;
    // Click mode left the step at 10 and the mode changes without a reset.
    m_engine.SetBeat(12, 4);
    PressStart(100);
    RunTicks(10);
    ASSERT_EQ(m_sequencer.GetStep(), 10u);
    m_sequencer.SetUserBeat(true);
    EXPECT_EQ(RunTicks(1)[0].sounds, std::vector<int>{StepSound(2)});
    EXPECT_EQ(m_sequencer.GetStep(), 3u);
    m_sequencer.AlignStep(4);
    RunTicks(1);
    EXPECT_EQ(RunTicks(1)[0].sounds, (std::vector<int>{StepSound(1), 150}));
}

TEST_F(Metronome, DegenerateBeatsNeverDivideByZero) {
    m_engine.SetBeat(0, 0);
    PressStart(100);
    EXPECT_TRUE(RunTicks(2).empty()) << "a period of 0 never ticks";
    m_engine.SetBeat(1, 4);
    PressStart(100);
    EXPECT_EQ(RunTicks(2), (std::vector<Tick>{{{A}, true}, {{A}, true}}));

    UseNumberedPattern(4, 0);
    m_engine.SetUserBeatMode(true);
    EXPECT_EQ(m_engine.GetTickBeats(), 1u);
    EXPECT_EQ(RunTicks(2), (std::vector<Tick>{{{StepSound(0)}, true}, {{StepSound(1)}, true}}));
    m_sequencer.AlignStep(0);
    EXPECT_EQ(m_sequencer.GetStep(), 2u);
}

TEST_F(Metronome, PlaySoundsStartsInstrumentsInOrder) {
    const int ids[] = {131, 0, 129, 180, 150, -5, 136};
    m_sequencer.PlaySounds(ids, 7);
    EXPECT_EQ(m_sequencer.m_played, (std::vector<int>{131, 129, 150, 136}));
    m_sequencer.m_played.clear();
    m_sequencer.PlaySounds(ids, 0);
    EXPECT_TRUE(m_sequencer.m_played.empty());
}

TEST_F(Metronome, AlignStepRoundsDownToItsGroup) {
    UseNumberedPattern(16, 4);
    m_sequencer.SetUserBeat(true);
    for (unsigned steps = 0; steps < 16; ++steps) {
        m_sequencer.ResetStep();
        for (unsigned i = 0; i < steps; ++i)
            m_sequencer.PlayTick();
        m_sequencer.AlignStep(4);
        EXPECT_EQ(m_sequencer.GetStep(), steps / 4 * 4) << steps;
        m_sequencer.AlignStep(3);
        EXPECT_EQ(m_sequencer.GetStep() % 3, 0u) << steps;
    }
}

TEST_F(Metronome, StopTickingEndsTheTickBeforeTheSwingAndOnlyWhenPlaying) {
    m_log.clear();
    m_engine.StopTicking();
    EXPECT_TRUE(m_log.empty());
    PressStart(100);
    RunTicks(2);
    m_log.clear();
    m_engine.StopTicking();
    EXPECT_EQ(m_log, (Log{"stop", "stop swing"}));
    EXPECT_FALSE(m_engine.IsPlaying());
    // The counters stay where the stop left them.
    EXPECT_EQ(m_sequencer.GetStep(), 2u);
    m_log.clear();
    m_engine.StopTicking();
    EXPECT_TRUE(m_log.empty());
}

TEST_F(Metronome, StartTickingAlwaysBeginsASwing) {
    m_engine.SetBeat(4, 16);
    PressStart(100);
    RunTicks(2);
    EXPECT_EQ(m_engine.GetTickInBeat(), 2u);
    ChangeTempo(100);
    EXPECT_EQ(m_engine.GetTickInBeat(), 0u);
    EXPECT_TRUE(RunTicks(1)[0].swing);
    EXPECT_TRUE(m_engine.IsPlaying());
}

TEST_F(Metronome, SetBeatAndModeTellTheDisplayTheEffectiveBeat) {
    UseNumberedPattern(12, 3);
    m_log.clear();
    m_engine.SetBeat(7, 8);
    EXPECT_EQ(m_log, (Log{"tick beat 7/8"}));
    EXPECT_EQ(m_sequencer.GetBeatsPerBar(), 7u);
    m_log.clear();
    m_engine.SetUserBeatMode(true);
    EXPECT_EQ(m_log, (Log{"tick beat 3/16"}));
    EXPECT_TRUE(m_sequencer.IsUserBeat());
    // The chosen beat is kept while user beat mode runs on sixteenths.
    m_engine.SetBeat(5, 4);
    EXPECT_EQ(m_log.back(), "tick beat 3/16");
    EXPECT_EQ(m_engine.GetBeats(), 5u);
    EXPECT_EQ(m_sequencer.GetBeatsPerBar(), 5u);
    m_engine.SetUserBeatMode(false);
    EXPECT_EQ(m_log.back(), "tick beat 5/4");
    EXPECT_FALSE(m_sequencer.IsUserBeat());
    EXPECT_EQ(m_engine.GetTickNote(), 4u);
}

TEST_F(Metronome, ModeSwitchResetsTheStep) {
    PressStart(100);
    RunTicks(3);
    UseNumberedPattern(16, 4);
    m_log.clear();
    m_engine.SetUserBeatMode(true);
    // No tick runs between the change of mode and the new run: the old one
    // ended before the mode changed.
    EXPECT_EQ(m_log, (Log{"stop", "stop swing", "tick beat 4/16", "start"}));
    EXPECT_EQ(m_sequencer.GetStep(), 0u);
    NoteRunStart();
    EXPECT_EQ(RunTicks(2)[0].sounds, std::vector<int>{StepSound(0)});
    EXPECT_EQ(HeardPeriod(), 150);
}

TEST(MetronomeEngine, DestructionStopsTheTick) {
    Log log;
    RecordingSequencer sequencer(log);
    RecordingDisplay display(log);
    RecordingStream stream(log);
    {
        CMetronomeEngine engine(sequencer, display, stream);
        engine.SetBeat(4, 4);
        engine.StartTicking(100);
        EXPECT_NE(stream.m_pRun, nullptr);
    }
    EXPECT_EQ(stream.m_pRun, nullptr);
}

} // namespace
