#include "mainwnd/BeatChangeMath.h"

namespace beatchange {

unsigned BeatsUp(unsigned beats) {
    return beats < kMaxBeats ? beats + 1 : beats;
}

unsigned BeatsDown(unsigned beats) {
    return beats > kMinBeats ? beats - 1 : beats;
}

unsigned NoteUp(unsigned note) {
    return note < kMaxNote ? note * 2 : note;
}

unsigned NoteDown(unsigned note) {
    return note > kMinNote ? note - note / 2 : note;
}

} // namespace beatchange
