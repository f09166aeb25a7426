#include "mainwnd/TempoJump.h"

#include "engine/TickMath.h"

namespace tempojump {

namespace {

bool IsAccurate(int tempo, unsigned note) {
    const auto drift = ComputeDriftPerHour(static_cast<unsigned>(tempo), note);
    return drift > -1000 && drift < 1000;
}

} // namespace

int FindAccurateTempo(int tempo, bool up, unsigned note) {
    if (up) {
        for (int t = tempo + 1; t < kMaxTempo; ++t) {
            if (IsAccurate(t, note))
                return t;
        }
        return kMaxTempo;
    }
    for (int t = tempo - 1; t > kMinTempo; --t) {
        if (IsAccurate(t, note))
            return t;
    }
    return kMinTempo;
}

} // namespace tempojump
