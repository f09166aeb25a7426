// The metronome's ticks clocked by the output stream's blocks: each tick's
// sample, through the engine, what a jump of the stream's clock does, and the
// grid kept through time a device lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/BlockTicks.h"
#include "engine/LostTime.h"
#include "engine/MetronomeEngine.h"
#include "engine/TickMath.h"
#include "tests/win/support/BlockRun.h"
#include "tests/win/support/NoTickDisplay.h"

namespace {

using pwtest::BlockStream;
using pwtest::RecordingSequencer;

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

// The metronome at 113 bpm in 4/4, started on a stream of blocks.
struct Metronome113 {
    Metronome113() {
        engine.SetBeat(4, 4);
        engine.StartTicking(113);
    }
    RecordingSequencer sequencer;
    pwtest::NoTickDisplay display;
    BlockStream stream;
    CMetronomeEngine engine{sequencer, display, stream};
};

// A device that plays what the stream writes at 48 kHz, as the stream's
// render thread sees it every 10 ms of the system clock: its position a
// little behind now and then, its clock gaining `drift`, and standing still
// for `stallMs` from `stallAt` seconds (a sound server's stream ran dry and
// then played its queue late), or only its count of the position held up
// for `heldMs` from then and catching up at 5 ms a wake (the device played
// on). The stream moves its clock on by the time the device is found to have
// lost; returns when each tick was heard, in seconds.
struct Dropout {
    double stallAt = 0;
    double stallMs = 0;
    double drift = 0;
    double heldMs = 0;
};

std::vector<double> HeardTicks(Metronome113& run, double seconds, const Dropout& dropout) {
    const RecordingSequencer& sequencer = run.sequencer;
    BlockStream& stream = run.stream;
    constexpr unsigned kRate = 48000;
    constexpr unsigned kWake = kRate / 100;
    constexpr double kQueued = kRate * 0.03;
    CLostTime lost;
    std::vector<double> played; // the device's position at every wake
    double position = 0;
    double written = 0;
    // Stream samples minus device frames: what the lost time moved on.
    std::vector<std::pair<std::size_t, std::int64_t>> offsets{{0, stream.m_nPosition}};
    for (unsigned wake = 0; wake < seconds * 100; ++wake) {
        const double now = static_cast<double>(wake) / 100;
        if (now < dropout.stallAt || now >= dropout.stallAt + dropout.stallMs / 1000)
            position += kWake * (1 + dropout.drift);
        played.push_back(position);
        const double since = (now - dropout.stallAt) * 1000;
        const double held =
            since < 0 ? 0 : std::max(0.0, std::min(since, dropout.heldMs) - (since - dropout.heldMs) / 2);
        const double jitter = (wake * 7919 % 13) * 2.0 + held * kRate / 1000;
        if (const unsigned gap = lost.Update(position - jitter, static_cast<double>(wake) * kWake, kRate)) {
            stream.m_nPosition += gap;
            offsets.push_back(
                {sequencer.m_played.size(), stream.m_nPosition - static_cast<std::int64_t>(written)});
        }
        const auto frames = static_cast<std::int64_t>(std::max(0.0, kQueued - (written - position)));
        if (frames > 0) {
            stream.m_pRun->OnBlock(stream.m_nPosition, stream.m_nPosition + frames, kRate);
            stream.m_nPosition += frames;
            written += static_cast<double>(frames);
        }
    }
    std::vector<double> heard;
    for (std::size_t n = 0, o = 0; n < sequencer.m_played.size(); ++n) {
        while (o + 1 < offsets.size() && offsets[o + 1].first <= n)
            ++o;
        const double frame = static_cast<double>(sequencer.m_played[n].nSample - offsets[o].second);
        const auto at = std::lower_bound(played.begin(), played.end(), frame);
        if (at == played.end())
            break;
        const std::size_t wake = static_cast<std::size_t>(at - played.begin());
        const double before = wake ? played[wake - 1] : 0;
        heard.push_back((static_cast<double>(wake) - (*at - frame) / std::max(*at - before, 1.0)) / 100);
    }
    return heard;
}

TEST(BlockTicks, ClicksKeepTheirGridThroughTimeTheDeviceLost) {
    constexpr double kPeriod = 0.531; // 113 bpm
    for (double stallMs : {8.0, 37.0, 120.0}) {
        Metronome113 run;
        const std::vector<double> heard = HeardTicks(run, 30, {12.3, stallMs, 0});
        ASSERT_GT(heard.size(), 50u);
        EXPECT_EQ(run.engine.GetDropouts(), 1u) << stallMs;
        // Every tick not already queued when the device stood still is heard
        // on the grid of the first.
        unsigned off = 0;
        for (std::size_t n = 1; n < heard.size(); ++n) {
            const double miss = std::abs(heard[n] - heard[0] - kPeriod * static_cast<double>(n));
            if (heard[n] < 12.3 || heard[n] > 12.3 + stallMs / 1000 + 0.5)
                EXPECT_LT(miss, 0.001) << stallMs << " ms lost, tick " << n << " heard at " << heard[n];
            off += miss >= 0.001 ? 1 : 0;
        }
        EXPECT_LE(off, 1u) << stallMs;
    }
}

TEST(BlockTicks, AClockThatGainsOrLosesOrIsHeldUpIsNoDropout) {
    for (double drift : {-300e-6, 0.0, 300e-6}) {
        Metronome113 run;
        const std::vector<double> heard = HeardTicks(run, 600, {30, 0, drift, drift == 0 ? 120.0 : 0.0});
        EXPECT_EQ(run.engine.GetDropouts(), 0u) << drift;
        // The device's own time: drifting with its clock, not corrected.
        EXPECT_NEAR(heard.back() - heard.front(), 0.531 * static_cast<double>(heard.size() - 1) / (1 + drift),
                    0.001);
    }
}

} // namespace
