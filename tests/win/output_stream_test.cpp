#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "NoTickDisplay.h"
#include "Recorder.h"
#include "StreamRun.h"
#include "engine/BeatSequencer.h"
#include "engine/MetronomeEngine.h"
#include "engine/OutputStream.h"
#include "engine/SoundBank.h"
#include "engine/TickMath.h"

namespace {

constexpr unsigned kPeriod = 133;

// Waits up to ms for the stream to reach a state; true when it did.
bool WaitForState(const COutputStream& stream, COutputStream::State state, DWORD ms) {
    for (DWORD waited = 0; stream.GetState() != state; waited += 10) {
        if (waited >= ms)
            return false;
        ::Sleep(10);
    }
    return true;
}

struct Heard {
    std::size_t nClicks = 0;
    std::uint64_t nTicks = 0;
    // The interval between two clicks that strays furthest from the period.
    double dWorstMs = 1e9;
};

// Plays for seconds while the null sink is recorded: start and stop the
// ticks, ticks() counts them.
Heard Record(double seconds, const std::function<void()>& start, const std::function<void()>& stop,
             const std::function<std::uint64_t()>& ticks) {
    Heard heard;
    pwtest::Recorder recorder;
    if (!recorder.Start(seconds + 0.5)) {
        ADD_FAILURE() << recorder.Error();
        return heard;
    }
    start();
    ::Sleep(static_cast<DWORD>(seconds * 1000));
    stop();
    const auto found = pwtest::FindClicks(recorder.Finish());
    heard.nClicks = found.size();
    heard.nTicks = ticks();
    heard.dWorstMs = 0;
    for (std::size_t i = 1; i < found.size(); ++i)
        heard.dWorstMs =
            std::max(heard.dWorstMs, std::abs(found[i].dOnsetMs - found[i - 1].dOnsetMs - kPeriod));
    std::printf("%zu clicks for %llu ticks, worst interval off by %.3f ms\n", heard.nClicks,
                static_cast<unsigned long long>(heard.nTicks), heard.dWorstMs);
    return heard;
}

// A click run of the stream itself.
Heard Record(COutputStream& stream, double seconds) {
    pwtest::ClickRun run(stream, kPeriod);
    return Record(
        seconds, [&] { stream.StartRun(&run); }, [&] { stream.StopRun(&run); },
        [&] { return run.GetTicks(); });
}

// True when every click of a run is heard and every interval is the period
// within 0.25 ms. A dropout of the sound server under load spoils one
// recording, a fault of the stream every one, so the run is tried up to three
// times.
bool PlaysInTime(const std::function<Heard()>& record, double seconds) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const Heard heard = record();
        if (heard.nClicks >= heard.nTicks && heard.nTicks + 4 >= seconds * 1000 / kPeriod &&
            heard.dWorstMs <= 0.25)
            return true;
    }
    return false;
}

class TickCount : public ITickObserver {
public:
    void OnTick(std::uint64_t, std::int64_t) override { m_nTicks.fetch_add(1); }
    std::atomic<std::uint64_t> m_nTicks{0};
};

COutputStream::State Closed = COutputStream::State::Closed;

TEST(OutputStream, ClicksKeepTheirSampleAndTheDeviceClosesAfterTheLastSound) {
    COutputStream stream;
    ASSERT_TRUE(stream.LoadSound(kAccentSoundId));
    ASSERT_TRUE(stream.LoadSound(kClickSoundId));
    EXPECT_FALSE(stream.LoadSound(999));
    EXPECT_EQ(stream.GetState(), Closed);
    EXPECT_TRUE(PlaysInTime([&] { return Record(stream, 3.0); }, 3.0));
    EXPECT_EQ(std::string(stream.GetDeviceName()), "WASAPI");
    EXPECT_EQ(stream.GetLateHits(), 0u);

    // Closed a few seconds after the last sound, and the device's threads
    // gone with it: as many as after the first close, fewer than playing.
    ASSERT_TRUE(WaitForState(stream, Closed, COutputStream::kCloseAfterMs + 3000));
    ::Sleep(300);
    const int closedThreads = pwtest::CountThreads();
    stream.Play(kClickSoundId);
    ASSERT_TRUE(WaitForState(stream, COutputStream::State::Playing, 2000));
    const int playingThreads = pwtest::CountThreads();
    ::Sleep(COutputStream::kCloseAfterMs / 2);
    EXPECT_EQ(stream.GetState(), COutputStream::State::Playing) << "closed too soon";
    ASSERT_TRUE(WaitForState(stream, Closed, COutputStream::kCloseAfterMs + 3000));
    ::Sleep(300);
    EXPECT_LT(closedThreads, playingThreads);
    EXPECT_EQ(pwtest::CountThreads(), closedThreads);
}

TEST(OutputStream, TheMetronomeAt113InSixteenthsIsHeardEvery133Ms) {
    COutputStream stream;
    CSoundBank bank(stream);
    bank.LoadSounds();
    pwtest::NoTickDisplay display;
    TickCount count;
    CMetronomeEngine engine(bank, display, bank.GetStream());
    engine.SetTickObserver(&count);
    engine.SetBeat(4, 16);
    ASSERT_EQ(ComputeTickPeriod(113, 16), kPeriod);
    const auto record = [&] {
        count.m_nTicks.store(0);
        return Record(
            4.0,
            [&] {
                bank.ResetStep();
                engine.StartTicking(113);
            },
            [&] { engine.StopTicking(); }, [&] { return count.m_nTicks.load(); });
    };
    EXPECT_TRUE(PlaysInTime(record, 4.0));
    // Time the device lost moves the stream on, and a tick it jumps over
    // sounds at once, late.
    if (engine.GetDropouts() == 0) {
        EXPECT_EQ(engine.GetSkippedTicks(), 0u);
        EXPECT_EQ(bank.GetStream().GetLateHits(), 0u);
    }
}

// A minute at 113 bpm while parec records the sink's monitor at 10 ms, as a
// musician recording themselves: no interval is more than 5 ms off unless
// the device lost time. Under Wine on a busy machine its sound server's
// stream runs dry now and then, which no bound here can foresee: the engine
// counts those dropouts and the figures are printed (scripts/bench.sh
// measures them at length).
TEST(OutputStream, AMinuteBesideACaptureClientKeepsTheBeat) {
    COutputStream stream;
    CSoundBank bank(stream);
    bank.LoadSounds();
    pwtest::NoTickDisplay display;
    CMetronomeEngine engine(bank, display, bank.GetStream());
    engine.SetBeat(4, 4);
    const unsigned period = ComputeTickPeriod(113, 4);
    pwtest::Recorder recorder;
    ASSERT_TRUE(recorder.Start(60.5)) << recorder.Error();
    engine.StartTicking(113);
    ::Sleep(60000);
    engine.StopTicking();
    const auto clicks = pwtest::FindClicks(recorder.Finish());
    ASSERT_GT(clicks.size(), 100u);
    unsigned off = 0;
    double worst = 0;
    for (std::size_t i = 1; i < clicks.size(); ++i) {
        const double miss = std::abs(clicks[i].dOnsetMs - clicks[i - 1].dOnsetMs - period);
        worst = std::max(worst, miss);
        off += miss > 5.0 ? 1 : 0;
    }
    const double mean =
        (clicks.back().dOnsetMs - clicks.front().dOnsetMs) / static_cast<double>(clicks.size() - 1);
    std::printf("%zu clicks, %u intervals more than 5 ms off (worst %.3f ms), mean %.3f ms, %u dropouts\n",
                clicks.size(), off, worst, mean, engine.GetDropouts());
    if (engine.GetDropouts() == 0 && bank.GetStream().GetUnderruns() == 0) {
        EXPECT_EQ(off, 0u) << "intervals more than 5 ms off with no time lost";
    }
}

TEST(OutputStream, WithoutADeviceTheRunGoesOnSilentlyOnTheSystemClock) {
    COutputStream stream(COutputStream::Device::None);
    ASSERT_TRUE(stream.LoadSound(kClickSoundId));
    pwtest::ClickRun run(stream, kPeriod);
    const DWORD started = ::GetTickCount();
    stream.StartRun(&run);
    ::Sleep(1000);
    EXPECT_EQ(stream.GetState(), COutputStream::State::Silent);
    EXPECT_STREQ(stream.GetDeviceName(), "none");
    const double elapsed = ::GetTickCount() - started;
    // The ticks and the stream's clock keep time with the system clock.
    EXPECT_NEAR(static_cast<double>(run.GetTicks()), elapsed / kPeriod, 2.0);
    EXPECT_NEAR(stream.GetHeardPosition() * 1000.0 / stream.GetRate(), elapsed, 50.0);
    stream.StopRun(&run);
    EXPECT_TRUE(WaitForState(stream, Closed, COutputStream::kCloseAfterMs + 3000));
}

// Restarts the sound server: run by tests/e2e/sound_server_restart_e2e.sh,
// which sets PW_SOUND_SERVER_RESTART=1 and restarts Wine afterwards, since
// Wine's services keep the old server's state and later programs of the same
// environment would start differently.
TEST(OutputStream, SoundComesBackAfterTheSoundServerRestarts) {
    if (!std::getenv("PW_SOUND_SERVER_RESTART"))
        GTEST_SKIP() << "run by the suite on its own, with PW_SOUND_SERVER_RESTART=1";
    const std::string exe = pwtest::ProgramUnixPath();
    ASSERT_FALSE(exe.empty()) << "runs under Wine";
    const std::string build = exe.substr(0, exe.rfind('/'));
    COutputStream stream;
    ASSERT_TRUE(stream.LoadSound(kAccentSoundId));
    ASSERT_TRUE(stream.LoadSound(kClickSoundId));
    pwtest::ClickRun run(stream, kPeriod);
    stream.StartRun(&run);
    EXPECT_TRUE(WaitForState(stream, COutputStream::State::Playing, 2000));
    EXPECT_TRUE(pwtest::StartUnixCommand("'" PW_SOURCE_DIR "/scripts/headless.sh' restart-pulse '" + build +
                                         "' >/dev/null 2>&1"));
    // The loss is seen and the stream plays again soon after (the figures
    // printed; the bounds leave room for a slow machine).
    const DWORD restarted = ::GetTickCount();
    for (int i = 0; i < 3000 && stream.GetLossCount() == 0; ++i)
        ::Sleep(10);
    const DWORD lost = ::GetTickCount();
    EXPECT_GE(stream.GetLossCount(), 1u);
    EXPECT_TRUE(WaitForState(stream, COutputStream::State::Playing, 10000));
    std::printf("restart asked: loss seen after %lu ms, playing again %lu ms later\n", lost - restarted,
                ::GetTickCount() - lost);
    // The run goes on on the new server. Wine's new stream takes in less
    // than real time for its first seconds, so the count is printed and only
    // its progress asserted; the recording below checks the timing.
    ::Sleep(500);
    const std::uint64_t ticks = run.GetTicks();
    const DWORD since = ::GetTickCount();
    ::Sleep(2660);
    const double elapsed = ::GetTickCount() - since;
    std::printf("%llu ticks in %.0f ms after the restart\n",
                static_cast<unsigned long long>(run.GetTicks() - ticks), elapsed);
    EXPECT_GE(static_cast<double>(run.GetTicks() - ticks), elapsed / kPeriod / 2);
    stream.StopRun(&run);
    // Heard again, in time.
    EXPECT_TRUE(PlaysInTime([&] { return Record(stream, 2.0); }, 2.0));
}

} // namespace
