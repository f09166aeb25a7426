#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "engine/TickTimer.h"

namespace {

using Clock = std::chrono::steady_clock;

// Counts its ticks; while `busyUs` is set each tick takes that long, so that a
// stop is likely to meet a tick in progress.
class CountingTimer : public CTickTimer {
public:
    ~CountingTimer() override { Stop(); }
    void OnTick() override {
        m_bInTick.store(true);
        if (const int busy = m_nBusyUs.load()) {
            const auto end = Clock::now() + std::chrono::microseconds(busy);
            while (Clock::now() < end) {
            }
        }
        if (m_bStopped.load())
            m_nLateTicks.fetch_add(1);
        m_nTicks.fetch_add(1);
        m_bInTick.store(false);
    }
    std::atomic<int> m_nTicks{0};
    std::atomic<int> m_nLateTicks{0};
    std::atomic<int> m_nBusyUs{0};
    // Set by the test once Stop has returned.
    std::atomic<bool> m_bStopped{false};
    std::atomic<bool> m_bInTick{false};
};

bool WaitForTicks(const CountingTimer& timer, int count, std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    while (timer.m_nTicks.load() < count) {
        if (Clock::now() > end)
            return false;
        std::this_thread::yield();
    }
    return true;
}

TEST(TickTimer, HoldsTheFinestResolution) {
    TIMECAPS caps;
    ASSERT_EQ(::timeGetDevCaps(&caps, sizeof caps), static_cast<MMRESULT>(TIMERR_NOERROR));
    CTickTimer timer;
    EXPECT_EQ(timer.GetResolution(), std::min(caps.wPeriodMin, caps.wPeriodMax));
    EXPECT_FALSE(timer.IsRunning());
}

TEST(TickTimer, TwentyMillisecondsGiveFiftyTicksASecond) {
    CountingTimer timer;
    ASSERT_TRUE(timer.Start(20, false));
    EXPECT_TRUE(timer.IsRunning());
    ::Sleep(200);
    const int first = timer.m_nTicks.load();
    const auto begin = Clock::now();
    ::Sleep(3000);
    const int last = timer.m_nTicks.load();
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    ASSERT_TRUE(timer.Stop());
    const double perSecond = (last - first) / seconds;
    EXPECT_NEAR(perSecond, 50.0, 2.0);
}

TEST(TickTimer, StopOnAnIdleTimerReturnsFalse) {
    CountingTimer timer;
    EXPECT_FALSE(timer.Stop());
    ASSERT_TRUE(timer.Start(5, false));
    EXPECT_TRUE(timer.Stop());
    EXPECT_FALSE(timer.Stop());
    EXPECT_FALSE(timer.IsRunning());
}

TEST(TickTimer, OneShotTicksOnce) {
    CountingTimer timer;
    ASSERT_TRUE(timer.Start(10, true));
    ::Sleep(200);
    EXPECT_EQ(timer.m_nTicks.load(), 1);
}

TEST(TickTimer, NoTickRunsAfterStopReturns) {
    CountingTimer timer;
    timer.m_nBusyUs.store(300);
    int cycles = 0;
    for (; cycles < 1000; ++cycles) {
        const int before = timer.m_nTicks.load();
        timer.m_bStopped.store(false);
        ASSERT_TRUE(timer.Start(1, false));
        // Stop while ticks fire: some cycles stop in the middle of one.
        ASSERT_TRUE(WaitForTicks(timer, before + 1, std::chrono::seconds(5))) << cycles;
        if (cycles % 2)
            std::this_thread::sleep_for(std::chrono::microseconds(150));
        ASSERT_TRUE(timer.Stop());
        timer.m_bStopped.store(true);
        ASSERT_FALSE(timer.m_bInTick.load()) << "a tick still ran after Stop, cycle " << cycles;
    }
    const int total = timer.m_nTicks.load();
    ::Sleep(50);
    EXPECT_EQ(timer.m_nTicks.load(), total);
    EXPECT_EQ(timer.m_nLateTicks.load(), 0);
    EXPECT_GE(total, cycles);
}

std::atomic<int> g_nTicks{0};
std::atomic<bool> g_bDestroyed{false};
std::atomic<int> g_nTicksAfterDestruction{0};

// Leaves stopping to the base destructor; its ticks count outside the object.
class DestroyedTimer : public CTickTimer {
public:
    void OnTick() override {
        const auto end = Clock::now() + std::chrono::microseconds(300);
        while (Clock::now() < end) {
        }
        if (g_bDestroyed.load())
            g_nTicksAfterDestruction.fetch_add(1);
        g_nTicks.fetch_add(1);
    }
};

TEST(TickTimer, DestroyingARunningTimerEndsItsTicks) {
    for (int i = 0; i < 200; ++i) {
        g_bDestroyed.store(false);
        auto timer = std::make_unique<DestroyedTimer>();
        const int before = g_nTicks.load();
        ASSERT_TRUE(timer->Start(1, false));
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (g_nTicks.load() == before && Clock::now() < deadline)
            std::this_thread::yield();
        ASSERT_GT(g_nTicks.load(), before) << i;
        // Destroy at varying points of the next tick.
        const auto destroyAt = Clock::now() + std::chrono::microseconds(150 * (i % 8));
        while (Clock::now() < destroyAt) {
        }
        timer.reset();
        g_bDestroyed.store(true);
    }
    const int total = g_nTicks.load();
    ::Sleep(50);
    EXPECT_EQ(g_nTicks.load(), total);
    EXPECT_EQ(g_nTicksAfterDestruction.load(), 0);
}

// Stops itself from its own tick, as the needle's frame timer does at the
// end of a swing.
class SelfStoppingTimer : public CTickTimer {
public:
    ~SelfStoppingTimer() override { Stop(); }
    void OnTick() override {
        if (m_nTicks.fetch_add(1) + 1 == 3)
            m_bStopResult.store(Stop() ? 1 : 0);
    }
    std::atomic<int> m_nTicks{0};
    std::atomic<int> m_bStopResult{-1};
};

TEST(TickTimer, TickCanStopItsOwnTimer) {
    SelfStoppingTimer timer;
    ASSERT_TRUE(timer.Start(5, false));
    ::Sleep(300);
    EXPECT_EQ(timer.m_bStopResult.load(), 1);
    EXPECT_EQ(timer.m_nTicks.load(), 3);
    EXPECT_FALSE(timer.IsRunning());
}

TEST(TickTimer, StartingAgainReplacesTheRunningEvent) {
    CountingTimer timer;
    ASSERT_TRUE(timer.Start(2, false));
    ASSERT_TRUE(WaitForTicks(timer, 1, std::chrono::seconds(5)));
    ASSERT_TRUE(timer.Start(5000, false));
    const int after = timer.m_nTicks.load();
    ::Sleep(200);
    EXPECT_EQ(timer.m_nTicks.load(), after) << "the first event still ticks";
    EXPECT_TRUE(timer.Stop());
    EXPECT_FALSE(timer.Stop());
}

TEST(TickTimer, ManyTimersTickIndependently) {
    std::vector<std::unique_ptr<CountingTimer>> timers;
    for (int i = 0; i < 8; ++i) {
        timers.push_back(std::make_unique<CountingTimer>());
        ASSERT_TRUE(timers.back()->Start(static_cast<unsigned>(10 * (i + 1)), false));
    }
    ::Sleep(400);
    timers[0]->Stop();
    const int stopped = timers[0]->m_nTicks.load();
    ::Sleep(200);
    EXPECT_EQ(timers[0]->m_nTicks.load(), stopped);
    for (int i = 1; i < 8; ++i)
        EXPECT_GT(timers[static_cast<size_t>(i)]->m_nTicks.load(), 0) << i;
    // The fastest ran about eight times as often as the slowest.
    EXPECT_GT(timers[1]->m_nTicks.load(), timers[7]->m_nTicks.load() * 2);
}

} // namespace
