// The beat change popup's arithmetic: stepping the beat within its limits.
#pragma once

namespace beatchange {

inline constexpr unsigned kMinBeats = 2;
inline constexpr unsigned kMaxBeats = 24;
inline constexpr unsigned kMinNote = 4;
inline constexpr unsigned kMaxNote = 16;

// A step at a limit leaves the value as it is.
unsigned BeatsUp(unsigned beats);
unsigned BeatsDown(unsigned beats);
unsigned NoteUp(unsigned note);
unsigned NoteDown(unsigned note);

} // namespace beatchange
