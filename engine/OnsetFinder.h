// Finds where the player's hits begin in the sound from the microphone:
// claps, drum hits, plucked or struck notes. A hit is a sample that rises well
// above both a floor and the level of the sound just before it; a hit's tail
// and the hum of the room do not count again. Runs on the capture thread: no
// allocation.
//
// Loudness is the sound's RMS over a fraction of a millisecond; the floor and
// the rise are in its terms.
#pragma once

#include <cstddef>
#include <cstdint>

struct Onset {
    // The frame of the input stream where the hit begins.
    std::int64_t nFrame = 0;
    // The loudest sample of its first kPeakMs, 0 to 1.
    float fPeak = 0.0f;
};

class COnsetFinder {
public:
    static constexpr double kPeakMs = 2.0;
    // Hits closer than this count once unless the later one is far louder
    // (sixteenths at 250 bpm still part).
    static constexpr double kRefractoryMs = 50.0;
    // Below about -40 dBFS nothing is a hit.
    static constexpr float kFloor = 0.01f;
    // How far above the level just before a hit has to rise.
    static constexpr float kRise = 3.0f;
    // How much louder than the last hit a new one within kRefractoryMs is.
    static constexpr float kLouder = 2.0f;

    explicit COnsetFinder(unsigned rate);

    // Feeds mono samples, the first of which is frame `first`, and calls
    // found(const Onset&) for each hit whose peak is known by the last one.
    template <class Found>
    void Feed(const float* samples, std::size_t count, std::int64_t first, Found&& found) {
        Onset onset;
        for (std::size_t i = 0; i < count; ++i) {
            if (Step(samples[i], first + static_cast<std::int64_t>(i), onset))
                found(onset);
        }
    }

private:
    // True when a hit's peak is complete at this sample.
    bool Step(float sample, std::int64_t frame, Onset& done);

    const std::int64_t m_nPeakFrames;
    const std::int64_t m_nRefractoryFrames;
    const std::int64_t m_nSettleFrames;
    const float m_fFast;
    const float m_fSlow;
    const float m_fBlock;
    float m_fLastIn = 0.0f;
    float m_fLastOut = 0.0f;
    float m_fFastPower = 0.0f;
    float m_fSlowPower = 0.0f;
    bool m_bInHit = false;
    Onset m_hit;
    std::int64_t m_nLastHit = INT64_MIN / 2;
    // How loud the last hit was over its first few milliseconds.
    float m_fLastLoudness = 0.0f;
};
