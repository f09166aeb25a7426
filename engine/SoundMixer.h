// The program's own mixer: every sound placed at its exact sample of one
// output stream, with a bounded, lock-free hand-over of hits from the threads
// that decide what sounds to the thread that renders.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/SoundConversion.h"
#include "engine/TickInterfaces.h"

// One sound to start at a sample of the stream; kAsSoonAsPossible starts it in
// the next block rendered without counting it late.
struct Hit {
    int nSoundId = 0;
    std::int64_t nSample = 0;
};

// A bounded queue of hits with any number of producer threads and one
// consumer (Vyukov's ring): Push and Pop never lock, wait or allocate. A
// producer preempted between claiming a cell and filling it only holds back
// the hits behind it until the next Pop.
class CHitQueue {
public:
    static constexpr std::size_t kCapacity = 256;

    CHitQueue();
    CHitQueue(const CHitQueue&) = delete;
    CHitQueue& operator=(const CHitQueue&) = delete;

    // Any thread; false when the queue is full.
    bool Push(const Hit& hit);
    // The consumer only; false when nothing is there.
    bool Pop(Hit& hit);

private:
    struct Cell {
        std::atomic<std::size_t> nSequence{0};
        Hit hit;
    };
    std::array<Cell, kCapacity> m_cells;
    alignas(64) std::atomic<std::size_t> m_nPushAt{0};
    alignas(64) std::size_t m_nPopAt = 0;
};

// Mixes the sounds into blocks of the stream. Each sound plays at most once
// at a time: a new hit cuts the sound's previous instance off at the hit's
// sample with a fade of at most a millisecond, so the cut makes no click.
// Different sounds overlap freely; their sum is saturated (below, Saturate).
class CSoundMixer {
public:
    // Sound ids below this can be mixed.
    static constexpr int kSoundIds = 256;

    CSoundMixer() = default;
    CSoundMixer(const CSoundMixer&) = delete;
    CSoundMixer& operator=(const CSoundMixer&) = delete;

    // A new stream format: every sound is removed and every voice silenced;
    // hits waiting for later samples move with the rate so they keep their
    // time. Not while Render runs.
    void SetFormat(const StreamFormat& format);
    // The sound of an id, as interleaved frames of the format. Not while
    // Render runs.
    void SetSound(int soundId, std::vector<float> frames);
    const StreamFormat& GetFormat() const { return m_format; }

    // Any thread, lock-free: a hit for Render to place. False (and counted)
    // when the queue is full.
    bool Play(int soundId, std::int64_t sample);

    // Renders the frames from stream sample `from` into out (interleaved,
    // frames x channels floats). Hits of this block start at their own sample;
    // hits whose sample is already past start at the block's first sample and
    // are counted late; later hits wait. Allocates nothing.
    void Render(float* out, std::size_t frames, std::int64_t from);
    // Takes the queued hits and tells whether anything sounds or waits to
    // sound. The rendering thread only.
    bool IsBusy();

    unsigned GetLateHits() const { return m_nLateHits.load(std::memory_order_relaxed); }
    unsigned GetDroppedHits() const { return m_nDroppedHits.load(std::memory_order_relaxed); }
    // The length of the fade that ends a cut-off sound.
    unsigned GetFadeFrames() const { return m_nFadeFrames; }

private:
    struct Instance {
        const float* pFrames = nullptr;
        std::size_t nFrames = 0;
        std::size_t nAt = 0;
    };
    struct Voice {
        Instance playing;
        // The instance a retrigger cut off, fading out over nFadeLeft frames.
        Instance fading;
        unsigned nFadeLeft = 0;
    };

    void TakeQueuedHits();
    void Start(int soundId);
    // Adds every voice's frames [begin, end) of the block to out.
    void MixVoices(float* out, std::size_t begin, std::size_t end);

    StreamFormat m_format;
    unsigned m_nFadeFrames = 1;
    std::array<std::vector<float>, kSoundIds> m_sounds;
    std::array<Voice, kSoundIds> m_voices;
    bool m_bSounding = false;

    CHitQueue m_queue;
    // Hits taken from the queue, in the order of their samples.
    std::array<Hit, CHitQueue::kCapacity> m_pending;
    std::size_t m_nPending = 0;

    std::atomic<unsigned> m_nLateHits{0};
    std::atomic<unsigned> m_nDroppedHits{0};
};

// The saturation of the mix: the identity up to 0.9 of full scale (every
// sound of the program peaks at -1 dB, 0.891, so one sound alone passes
// unchanged), then a tanh knee that reaches full scale only at infinity, so
// loud hits together are rounded off and never wrap around.
float Saturate(float sample);
