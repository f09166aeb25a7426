// The metronome's shared timing arithmetic: the tick period in whole
// milliseconds and the drift that its rounding causes.
#pragma once

#include <cstdint>

// The tick period in milliseconds for a tempo in beats per minute and the note
// value of one tick (4, 8 or 16). A fraction of up to 0.5009 rounds down.
// A tempo of 0 or a note value below 4 has no period: 0.
unsigned ComputeTickPeriod(unsigned tempo, unsigned note);

// How far one hour of ticks at the rounded period misses one hour, in
// milliseconds: positive when the metronome runs slow, negative when fast.
std::int32_t ComputeDriftPerHour(unsigned tempo, unsigned note);
