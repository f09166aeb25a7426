// What the metronome engine drives besides the sounds: the output stream whose
// clock produces the ticks, and the display whose needle swings with them.
#pragma once

#include <chrono>
#include <cstdint>

// A sample of the output stream that means "as soon as possible".
inline constexpr std::int64_t kAsSoonAsPossible = INT64_MIN;

// A source of hits clocked by the output stream, such as a metronome run.
class IBlockListener {
public:
    // Called on the render thread before every block is mixed, with the
    // block's stream samples [from, to) and the stream's rate: the listener
    // plays the hits that fall in the block, at their samples. No allocation,
    // no waiting. The rate changes only when the stream reopens on another
    // device; CSampleSchedule::ChangeRate follows it.
    virtual void OnBlock(std::int64_t from, std::int64_t to, unsigned rate) = 0;

protected:
    ~IBlockListener() = default;
};

// The output stream as the engine sees it (COutputStream on the platform, a
// stand-in in tests).
class ITickStream {
public:
    // Keeps the stream going and calls the listener before every block until
    // StopRun(listener).
    virtual void StartRun(IBlockListener* listener) = 0;
    // Once it returns the listener is not running and will not be called.
    virtual void StopRun(IBlockListener* listener) = 0;
    // When a sample of the stream reaches the ear, on the steady clock. On the
    // render thread, for a sample of the block being made or a later one.
    virtual std::chrono::steady_clock::time_point HeardTimeOf(std::int64_t sample) const = 0;
    // The time on the clock HeardTimeOf answers in.
    virtual std::chrono::steady_clock::time_point TimeNow() const = 0;

protected:
    ~ITickStream() = default;
};

// The tick display as the engine sees it.
class ITickDisplay {
public:
    virtual void SetTempo(unsigned tempo) = 0;
    // The effective beat, which times the swing and the drift shown.
    virtual void SetTickBeat(unsigned beats, unsigned note) = 0;
    // A swing of the needle begins with the click heard at heardAt on the
    // steady clock; called on the thread that produces the ticks, so it only
    // records the time and never draws or waits.
    virtual void StartSwing(std::chrono::steady_clock::time_point heardAt) = 0;
    virtual void StopSwing() = 0;

protected:
    ~ITickDisplay() = default;
};
