// The metronome's ticks clocked by the output stream's blocks: each tick's
// sample, through the engine, and what a jump of the stream's clock does.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/BlockTicks.h"
#include "engine/MetronomeEngine.h"
#include "engine/TickMath.h"
#include "tests/win/support/NoTickDisplay.h"

namespace {

struct Played {
    int nSoundId = 0;
    std::int64_t nSample = 0;
};

class RecordingSequencer : public CBeatSequencer {
public:
    std::vector<Played> m_played;

protected:
    void Retrigger(int soundId, std::int64_t sample) override { m_played.push_back({soundId, sample}); }
};

// Hands the run blocks of uneven sizes, as a device asks for them.
class BlockStream : public ITickStream {
public:
    void StartRun(IBlockListener* listener) override { m_pRun = listener; }
    void StopRun(IBlockListener*) override { m_pRun = nullptr; }
    std::chrono::steady_clock::time_point HeardTimeOf(std::int64_t) const override { return {}; }
    std::chrono::steady_clock::time_point TimeNow() const override { return m_now; }
    void Render(std::int64_t until, unsigned rate) {
        for (unsigned block = 0; m_nPosition < until; ++block) {
            const std::int64_t to = m_nPosition + 256 + block * 97 % 1024;
            m_pRun->OnBlock(m_nPosition, to, rate);
            m_nPosition = to;
        }
    }
    std::int64_t m_nPosition = 1000;
    IBlockListener* m_pRun = nullptr;
    std::chrono::steady_clock::time_point m_now;
};

TEST(BlockTicks, AnHourOfTheEngineSoundsEveryTickAtItsExactSample) {
    for (unsigned rate : {44100u, 48000u}) {
        RecordingSequencer sequencer;
        pwtest::NoTickDisplay display;
        BlockStream stream;
        CMetronomeEngine engine(sequencer, display, stream);
        // 113 bpm in sixteenths: 133 ms, a fraction of a sample every tick.
        engine.SetBeat(4, 16);
        const unsigned period = ComputeTickPeriod(113, 16);
        ASSERT_EQ(period, 133u);
        const std::int64_t start = stream.m_nPosition;
        engine.StartTicking(113);
        stream.Render(start + std::int64_t{rate} * 3600, rate);
        engine.StopTicking();
        ASSERT_EQ(sequencer.m_played.size(), 3600000u / period) << rate;
        // The first tick a period after the start; each one after it the
        // exact time from the first, rounded down once, never a sum of
        // rounded periods.
        const std::int64_t first = start + std::int64_t{period} * rate / 1000;
        for (std::size_t n = 0; n < sequencer.m_played.size(); ++n) {
            const std::int64_t exact = first + static_cast<std::int64_t>(n * period * rate / 1000);
            ASSERT_EQ(sequencer.m_played[n].nSample, exact) << rate << " Hz, tick " << n;
            ASSERT_EQ(sequencer.m_played[n].nSoundId, n % 4 == 0 ? kAccentSoundId : kClickSoundId) << n;
        }
        EXPECT_EQ(engine.GetSkippedTicks(), 0u);
    }
}

using Timing = CBlockTicks::Timing;

struct Taken {
    std::uint64_t n = 0;
    std::int64_t nSample = 0;
    Timing timing = Timing::OnTime;
    bool operator==(const Taken&) const = default;
};

std::vector<Taken> Take(CBlockTicks& ticks, std::int64_t from, std::int64_t to) {
    std::vector<Taken> taken;
    ticks.Take(from, to, 1000, [&](std::uint64_t n, std::int64_t sample, Timing timing) {
        taken.push_back({n, sample, timing});
    });
    return taken;
}

TEST(BlockTicks, ATickBehindTheClockSoundsAtOnceAndAGapIsNotMadeUp) {
    // At 1000 samples a second a sample is a millisecond: a tick every 100.
    CBlockTicks ticks;
    ticks.Begin(100, 100, 1000);
    EXPECT_EQ(Take(ticks, 0, 150), (std::vector<Taken>{{0, 100, Timing::OnTime}}));
    // The clock jumps from 150 to 230: tick 1 (200) was never rendered and
    // sounds now, late; tick 2 is still on time.
    EXPECT_EQ(Take(ticks, 230, 260), (std::vector<Taken>{{1, 200, Timing::Late}}));
    EXPECT_EQ(Take(ticks, 260, 310), (std::vector<Taken>{{2, 300, Timing::OnTime}}));
    // A jump over three ticks: the first two only count, the last sounds.
    EXPECT_EQ(
        Take(ticks, 650, 700),
        (std::vector<Taken>{{3, 400, Timing::Skipped}, {4, 500, Timing::Skipped}, {5, 600, Timing::Late}}));
    EXPECT_EQ(Take(ticks, 700, 800), (std::vector<Taken>{{6, 700, Timing::OnTime}}));
    EXPECT_EQ(ticks.GetNext(), 7u);
}

TEST(BlockTicks, TheEngineCountsSkippedTicksAndKeepsTheBar) {
    RecordingSequencer sequencer;
    pwtest::NoTickDisplay display;
    BlockStream stream;
    CMetronomeEngine engine(sequencer, display, stream);
    engine.SetBeat(4, 4);
    stream.m_nPosition = 0;
    engine.StartTicking(100); // 600 ms
    stream.m_pRun->OnBlock(0, 1000, 1000);
    // Ticks 1 to 3 (1200, 1800, 2400) fall behind a jump to 2500: 1 and 2
    // skipped, 3 played late, at its own sample for the mixer to place.
    stream.m_pRun->OnBlock(2500, 2900, 1000);
    stream.m_pRun->OnBlock(2900, 3100, 1000);
    EXPECT_EQ(engine.GetSkippedTicks(), 2u);
    ASSERT_EQ(sequencer.m_played.size(), 3u);
    EXPECT_EQ(sequencer.m_played[0].nSample, 600);
    EXPECT_EQ(sequencer.m_played[1].nSample, 2400);
    EXPECT_EQ(sequencer.m_played[1].nSoundId, kClickSoundId);
    // Tick 4, on time, is the next bar's accent: the skipped ticks kept the
    // count.
    EXPECT_EQ(sequencer.m_played[2].nSample, 3000);
    EXPECT_EQ(sequencer.m_played[2].nSoundId, kAccentSoundId);
}

TEST(BlockTicks, TheTimeTheDeviceTakesToOpenCountsInTheFirstPeriod) {
    using std::chrono::milliseconds;
    for (const auto& [openMs, firstSample] : {std::pair{30, 570}, std::pair{700, 0}}) {
        RecordingSequencer sequencer;
        pwtest::NoTickDisplay display;
        BlockStream stream;
        CMetronomeEngine engine(sequencer, display, stream);
        engine.SetBeat(4, 4);
        engine.StartTicking(100); // 600 ms
        stream.m_now += milliseconds(openMs);
        stream.m_pRun->OnBlock(0, 590, 1000);
        ASSERT_EQ(sequencer.m_played.size(), 1u) << openMs;
        EXPECT_EQ(sequencer.m_played[0].nSample, firstSample) << openMs;
    }
}

} // namespace
