// What the metronome engine drives besides the sounds: the periodic tick that
// calls it and the display whose needle swings with it.
#pragma once

#include <chrono>

// A periodic millisecond tick that calls its owner back (CTickTimer on the
// platform, a stand-in in tests).
class ITickClock {
public:
    // Starts the tick with a period in milliseconds; false when the platform
    // refuses it.
    virtual bool Start(unsigned period, bool oneShot) = 0;
    // Ends the tick; once it returns no callback runs any more. False when
    // nothing ran.
    virtual bool Stop() = 0;

protected:
    ~ITickClock() = default;
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
