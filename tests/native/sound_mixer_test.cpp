#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "engine/SampleSchedule.h"
#include "engine/SoundMixer.h"

namespace {

constexpr unsigned kRates[] = {44100, 48000};
constexpr double kPi = 3.14159265358979323846;

TEST(SampleSchedule, AnHourOfBlocksMeetsEveryTickOnceAtItsExactSample) {
    for (unsigned rate : kRates) {
        for (unsigned period : {50u, 133u, 187u, 600u, 2000u}) {
            const std::int64_t first = 12345;
            const CSampleSchedule schedule(first, period, rate);
            // Independently: the tick's time in thousandths of a sample, added
            // up tick by tick, then rounded down once.
            std::uint64_t thousandths = 0;
            std::uint64_t expected = 0;
            const std::int64_t hourEnd = first + std::int64_t{rate} * 3600;
            // Blocks of uneven sizes, as a stream renders them.
            std::int64_t from = 0;
            for (unsigned block = 0; from < hourEnd; ++block) {
                const std::int64_t to = from + 256 + block * 97 % 1024;
                const std::int64_t end = std::min(to, hourEnd);
                for (std::uint64_t n = schedule.FirstTickFrom(from); schedule.SampleOf(n) < end; ++n) {
                    ASSERT_EQ(n, expected) << rate << " Hz, " << period << " ms, block from " << from;
                    ASSERT_EQ(schedule.SampleOf(n), first + static_cast<std::int64_t>(thousandths / 1000));
                    ASSERT_GE(schedule.SampleOf(n), from);
                    thousandths += std::uint64_t{period} * rate;
                    ++expected;
                }
                from = to;
            }
            // An hour holds 3600000 / period ticks (rounded up).
            EXPECT_EQ(expected, (3600000 + period - 1) / period) << rate << " Hz, " << period << " ms";
        }
    }
    // 113 bpm in sixteenths: 133 ms, 5865.3 samples a tick at 44.1 kHz; after
    // 27068 ticks (3600.044 s) not a sample gained or lost.
    EXPECT_EQ(CSampleSchedule(0, 133, 44100).SampleOf(27068), 158761940);
    EXPECT_EQ(CSampleSchedule(0, 600, 48000).SampleOf(6000), 48000 * 3600);
}

TEST(SampleSchedule, ChangingTheRateKeepsEveryTicksTime) {
    CSampleSchedule schedule(441000, 133, 44100);
    const std::int64_t before = schedule.SampleOf(1000);
    schedule.ChangeRate(48000);
    EXPECT_EQ(schedule.GetFirstSample(), 480000);
    EXPECT_NEAR(static_cast<double>(schedule.SampleOf(1000)), before * 48000.0 / 44100.0, 1.0);
}

// A sound of n frames in two channels: value(frame) in both.
template <typename F> std::vector<float> Sound(std::size_t frames, F value) {
    std::vector<float> sound;
    for (std::size_t i = 0; i < frames; ++i)
        sound.insert(sound.end(), 2, value(i));
    return sound;
}

constexpr int kTick = 181;
constexpr int kAccent = 180;

// The frames where a sound starts after silence, in the left channel.
std::vector<std::int64_t> Onsets(const std::vector<float>& block, std::int64_t from, bool& quiet) {
    std::vector<std::int64_t> onsets;
    for (std::size_t i = 0; i < block.size() / 2; ++i) {
        if (block[2 * i] != 0.0f && quiet)
            onsets.push_back(from + static_cast<std::int64_t>(i));
        quiet = block[2 * i] == 0.0f;
    }
    return onsets;
}

TEST(SoundMixer, EverySoundStartsAtItsScheduledSampleThroughAnHour) {
    for (unsigned rate : kRates) {
        CSoundMixer mixer;
        mixer.SetFormat({rate, 2});
        // Short sounds, silent after a few frames, so every start is seen.
        mixer.SetSound(kTick, Sound(8, [](std::size_t i) { return i < 4 ? 0.25f : 0.0f; }));
        mixer.SetSound(kAccent, Sound(8, [](std::size_t i) { return i < 4 ? 0.5f : 0.0f; }));
        const CSampleSchedule schedule(1000, 133, rate);
        // The first and the last ten seconds of an hour, clocked by the
        // stream: each block asks which ticks fall in it.
        for (const std::int64_t start : {std::int64_t{0}, std::int64_t{rate} * 3590}) {
            std::vector<std::int64_t> heard;
            std::vector<std::int64_t> scheduled;
            std::vector<float> block(2 * 512);
            bool quiet = true;
            for (std::int64_t from = start; from < start + std::int64_t{rate} * 10; from += 512) {
                for (std::uint64_t n = schedule.FirstTickFrom(from); schedule.SampleOf(n) < from + 512; ++n) {
                    mixer.Play(n % 4 == 0 ? kAccent : kTick, schedule.SampleOf(n));
                    scheduled.push_back(schedule.SampleOf(n));
                }
                mixer.Render(block.data(), 512, from);
                for (std::int64_t at : Onsets(block, from, quiet))
                    heard.push_back(at);
            }
            EXPECT_EQ(heard, scheduled) << rate << " Hz from " << start;
        }
        EXPECT_EQ(mixer.GetLateHits(), 0u);
    }
}

TEST(SoundMixer, RetriggerCutsTheSoundOffWithinAMillisecondWithoutAStep) {
    for (unsigned rate : kRates) {
        CSoundMixer mixer;
        mixer.SetFormat({rate, 2});
        // Rises slowly to 0.8 and holds it: a hard cut would step by 0.8.
        const auto level = [](std::size_t i) {
            return 0.8f * std::min(1.0f, static_cast<float>(i) / 200);
        };
        mixer.SetSound(kTick, Sound(4000, level));
        const unsigned fade = mixer.GetFadeFrames();
        EXPECT_LE(fade, rate / 1000);
        std::vector<float> out(2 * 2048);
        mixer.Play(kTick, 0);
        mixer.Play(kTick, 1000);
        mixer.Render(out.data(), 2048, 0);
        EXPECT_FLOAT_EQ(out[2 * 999], 0.8f);
        float largest = 0;
        for (std::size_t i = 1000; i < 1000 + fade + 2; ++i)
            largest = std::max(largest, std::fabs(out[2 * i] - out[2 * i - 2]));
        // The fade's own step plus the new sound's rise.
        EXPECT_LE(largest, 0.8f / static_cast<float>(fade) + 0.004f) << rate;
        // From the fade's end on only the new sound.
        for (std::size_t i = 1000 + fade; i < 2048; ++i)
            ASSERT_FLOAT_EQ(out[2 * i], level(i - 1000)) << rate << " Hz, frame " << i;
        // Another sound is not cut by it.
        mixer.SetSound(kAccent, Sound(4000, level));
        mixer.Play(kAccent, 2100);
        mixer.Play(kTick, 2200);
        mixer.Render(out.data(), 2048, 2048);
        const std::size_t both = 2200 + fade + 10;
        EXPECT_FLOAT_EQ(out[2 * (both - 2048)], level(both - 2100) + level(both - 2200)) << "both sound";
    }
}

TEST(SoundMixer, LoudSumsSaturateWithoutWrappingAround) {
    for (float x = -20.0f; x < 20.0f; x += 0.01f) {
        ASSERT_LT(std::fabs(Saturate(x)), 1.0f + 1e-6f) << x;
        ASSERT_LE(Saturate(x), Saturate(x + 0.01f)) << x;
    }
    EXPECT_EQ(Saturate(0.891f), 0.891f);
    EXPECT_EQ(Saturate(-0.9f), -0.9f);

    CSoundMixer mixer;
    mixer.SetFormat({48000, 2});
    for (int id = 129; id <= 150; ++id)
        mixer.SetSound(id, Sound(100, [id](std::size_t) { return id % 2 ? 0.891f : -0.891f; }));
    // 1, 2, ... 11 sounds of the same sign at once, one more each block.
    float last = 0.0f;
    std::vector<float> out(2 * 50);
    for (int count = 1; count <= 11; ++count) {
        for (int id = 129; id < 129 + 2 * count; id += 2)
            mixer.Play(id, count * 50);
        mixer.Render(out.data(), 50, count * 50);
        const float level = out[0];
        EXPECT_GE(level, last) << count;
        EXPECT_LE(level, 1.0f);
        if (count == 1)
            EXPECT_EQ(level, 0.891f) << "one sound passes unchanged";
        last = count == 1 ? 0.0f : level;
    }
}

TEST(SoundMixer, LateHitSoundsAtTheNextBlockAndIsCounted) {
    CSoundMixer mixer;
    mixer.SetFormat({44100, 2});
    mixer.SetSound(kTick, Sound(8, [](std::size_t i) { return i < 4 ? 0.25f : 0.0f; }));
    std::vector<float> out(2 * 512);
    bool quiet = true;
    mixer.Render(out.data(), 512, 0);
    mixer.Play(kTick, 300);  // already rendered
    mixer.Play(kTick, 700);  // in the next block
    mixer.Play(kTick, 5000); // later
    mixer.Render(out.data(), 512, 512);
    EXPECT_EQ(Onsets(out, 512, quiet), (std::vector<std::int64_t>{512, 700}));
    EXPECT_EQ(mixer.GetLateHits(), 1u);
    mixer.Play(kTick, kAsSoonAsPossible); // a toolbar sample: not late
    mixer.Render(out.data(), 512, 1024);
    EXPECT_EQ(Onsets(out, 1024, quiet), (std::vector<std::int64_t>{1024}));
    EXPECT_EQ(mixer.GetLateHits(), 1u);
    EXPECT_TRUE(mixer.IsBusy()) << "the hit at 5000 waits";
}

TEST(HitQueue, ProducersOnSeveralThreadsHandOverEveryHitOnceInOrder) {
    CHitQueue queue;
    constexpr int kThreads = 3;
    constexpr int kHits = 20000;
    std::vector<std::thread> producers;
    for (int t = 0; t < kThreads; ++t) {
        producers.emplace_back([&queue, t] {
            for (int i = 0; i < kHits;) {
                if (queue.Push(Hit{t, i}))
                    ++i;
            }
        });
    }
    std::vector<std::int64_t> next(kThreads, 0);
    int received = 0;
    Hit hit;
    while (received < kThreads * kHits) {
        if (!queue.Pop(hit))
            continue;
        ASSERT_EQ(hit.nSample, next[static_cast<std::size_t>(hit.nSoundId)]++);
        ++received;
    }
    for (auto& producer : producers)
        producer.join();
    EXPECT_FALSE(queue.Pop(hit));
    for (std::size_t i = 0; i < CHitQueue::kCapacity; ++i)
        ASSERT_TRUE(queue.Push(Hit{}));
    EXPECT_FALSE(queue.Push(Hit{})) << "full";
}

// A 16-bit PCM WAVE's format and data, as ParseWave finds them.
struct Pcm16 {
    std::vector<std::uint8_t> format;
    std::vector<std::int16_t> samples;
    WaveImage Image() const {
        return {format.data(), static_cast<std::uint32_t>(format.size()),
                reinterpret_cast<const std::uint8_t*>(samples.data()),
                static_cast<std::uint32_t>(samples.size() * 2)};
    }
};

Pcm16 MakePcm16(unsigned channels, std::vector<std::int16_t> samples) {
    const std::uint16_t fields[] = {1,
                                    static_cast<std::uint16_t>(channels),
                                    44100 & 0xFFFF,
                                    44100 >> 16,
                                    0,
                                    0,
                                    static_cast<std::uint16_t>(2 * channels),
                                    16};
    Pcm16 wave;
    wave.format.resize(sizeof fields);
    std::memcpy(wave.format.data(), fields, sizeof fields);
    wave.samples = std::move(samples);
    return wave;
}

TEST(SoundConversion, SameRateIsCopiedAndChannelsAreMapped) {
    const Pcm16 mono = MakePcm16(1, {16384, -32768, 0});
    EXPECT_TRUE(CanConvert(mono.Image()));
    EXPECT_EQ(ConvertSound(mono.Image(), {44100, 2}), (std::vector<float>{0.5f, 0.5f, -1, -1, 0, 0}));
    const Pcm16 stereo = MakePcm16(2, {16384, 0, -8192, -8192});
    EXPECT_EQ(ConvertSound(stereo.Image(), {44100, 1}), (std::vector<float>{0.25f, -0.25f}));
    Pcm16 eightBit = MakePcm16(1, {0});
    eightBit.format[14] = 8;
    EXPECT_TRUE(CanConvert(eightBit.Image()));
    Pcm16 adpcm = MakePcm16(1, {0});
    adpcm.format[0] = 2;
    EXPECT_FALSE(CanConvert(adpcm.Image()));
}

TEST(SoundConversion, AnotherRateKeepsTheWaveformAndItsStart) {
    // A 5 kHz tone: linear interpolation would miss it by -24 dB, nearest
    // neighbour by far more.
    std::vector<std::int16_t> tone(44100 / 10);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<std::int16_t>(std::lround(16000 * std::sin(2 * kPi * 5000 * i / 44100.0)));
    const auto converted = ConvertSound(MakePcm16(1, tone).Image(), {48000, 1});
    ASSERT_EQ(converted.size(), (tone.size() * 48000 + 44099) / 44100);
    double error = 0;
    double energy = 0;
    // Away from the edges, where the tone starts and stops.
    for (std::size_t k = 200; k + 200 < converted.size(); ++k) {
        const double ideal = 16000 / 32768.0 * std::sin(2 * kPi * 5000 * k / 48000.0);
        error += (converted[k] - ideal) * (converted[k] - ideal);
        energy += ideal * ideal;
    }
    EXPECT_LT(10 * std::log10(error / energy), -60.0);

    // A click's first sample stays on the first frame.
    std::vector<std::int16_t> click(400, 0);
    click[0] = 20000;
    const auto moved = ConvertSound(MakePcm16(1, click).Image(), {48000, 1});
    const auto peak = std::max_element(moved.begin(), moved.end()) - moved.begin();
    EXPECT_EQ(peak, 0);
}

} // namespace
