// Every allocation of this program goes through the operators below, so the
// tests see whether a tick allocates: the render thread must never wait on
// the heap.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "engine/MetronomeEngine.h"
#include "engine/SoundBank.h"
#include "model/BeatPattern.h"

namespace {
std::atomic<long> g_nAllocations{0};

void* Allocate(std::size_t size) {
    g_nAllocations.fetch_add(1);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    g_nAllocations.fetch_add(1);
    return std::malloc(size ? size : 1);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

class CountingDisplay : public ITickDisplay {
public:
    void SetTempo(unsigned) override {}
    void SetTickBeat(unsigned, unsigned) override {}
    void StartSwing(std::chrono::steady_clock::time_point) override { m_nSwings.fetch_add(1); }
    void StopSwing() override {}
    std::atomic<int> m_nSwings{0};
};

// Put together as the main window puts it together.
class Metronome : private ITickObserver {
public:
    Metronome() { m_engine.SetTickObserver(this); }
    COutputStream m_stream;
    CSoundBank m_bank{m_stream};
    CountingDisplay m_display;
    CMetronomeEngine m_engine{m_bank, m_display, m_bank.GetStream()};
    std::atomic<int> m_nTicks{0};

private:
    void OnTick(std::uint64_t, std::int64_t) override { m_nTicks.fetch_add(1); }
};

CCustomBeat FullPattern() {
    CCustomBeat pattern;
    for (int t = 0; t < 5; ++t) {
        CBeatTrack& track = pattern.AddTrack();
        for (int s = 0; s < 16; ++s)
            track.AddCell().m_nSoundId = kFirstInstrumentId + (s * 5 + t) % kInstrumentCount;
    }
    return pattern;
}

TEST(TickAllocation, CounterSeesAllocations) {
    const long before = g_nAllocations.load();
    delete new int(1);
    EXPECT_EQ(g_nAllocations.load(), before + 1);
}

TEST(TickAllocation, TicksAllocateNothing) {
    const CCustomBeat pattern = FullPattern();
    Metronome metronome;
    metronome.m_bank.SetPattern(&pattern);
    metronome.m_bank.LoadSounds();
    ASSERT_TRUE(metronome.m_bank.VoiceFor(kAccentSoundId)->IsReady());
    metronome.m_engine.SetBeat(4, 16);
    // Opening the device converts the sounds once, ahead of the ticks.
    COutputStream& stream = metronome.m_bank.GetStream();
    stream.Play(kClickSoundId);
    for (int i = 0; i < 500 && stream.GetState() == COutputStream::State::Closed; ++i)
        ::Sleep(10);
    for (bool userBeat : {false, true}) {
        metronome.m_engine.SetUserBeatMode(userBeat);
        const int ticks = metronome.m_nTicks.load();
        const long allocations = g_nAllocations.load();
        metronome.m_engine.StartTicking(300);
        ::Sleep(1000);
        metronome.m_engine.StopTicking();
        EXPECT_EQ(g_nAllocations.load(), allocations) << (userBeat ? "user beat mode" : "click mode");
        EXPECT_GE(metronome.m_nTicks.load() - ticks, 10);
    }
    EXPECT_GT(metronome.m_display.m_nSwings.load(), 0);
}

} // namespace
