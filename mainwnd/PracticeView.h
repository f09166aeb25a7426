// What the tick display shows of the practice tools, small, where the needle,
// the tempo and the time signature never are: a row under the drift (the
// trainer and the bar count, or the count-in), a corner under the time
// signature ("muted") and one under the tempo (the time played). The second
// line of each corner is left free for further figures.
#pragma once

#include <string>

#include "engine/PracticePlan.h"

namespace practiceview {

struct Texts {
    // Under the drift: "trainer 100 -> 116  bar 3", "count-in 2", "bar 7".
    std::string row;
    // Under the time signature: "muted" while the mute tool is on.
    std::string mute;
    // The mute tool's bar playing is a silent one.
    bool bSilentNow = false;
    // Under the tempo: the time played ("4:05") while playing, else the
    // practice time set ("20 min").
    std::string time;
};

// tempo is the tempo shown (the trainer's start while stopped); userBeat
// whether a count-in would play.
Texts Describe(const PracticePlan& plan, const PracticeStatus& status, bool playing, unsigned tempo,
               bool userBeat);

struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool IsEmpty() const { return right <= left || bottom <= top; }
};

struct Layout {
    Box row;
    Box mute;
    Box time;
    // The corners' second lines, free.
    Box spareLeft;
    Box spareRight;
};

// The boxes for a display of w x h pixels whose time signature and tempo
// figure take these boxes; lineHeight is the drift's font height, which the
// texts share. Each box keeps clear of the needle's sweep (halo included),
// of the tempo, of the time signature and of the drift; one may be empty.
Layout Place(int w, int h, int lineHeight, const Box& signature, const Box& tempo);

// The needle's sweep: the pivot and the radius it and its halo reach.
struct Sweep {
    int cx = 0;
    int cy = 0;
    int reach = 0;
};
Sweep NeedleSweep(int w, int h);

// No point of the box lies within the sweep's half disc.
bool ClearOfSweep(const Box& box, const Sweep& sweep);

} // namespace practiceview
