// The tempo page jumps: to the next tempo up or down whose whole-millisecond
// tick keeps the metronome within a second an hour.
#pragma once

namespace tempojump {

// The page jumps stop here whatever the slider's range.
inline constexpr int kMinTempo = 30;
inline constexpr int kMaxTempo = 300;

// From tempo, the next tempo up (or down) with an hourly drift under one
// second at this note value (16 in user beat mode); the bound when none
// between qualifies.
int FindAccurateTempo(int tempo, bool up, unsigned note);

} // namespace tempojump
