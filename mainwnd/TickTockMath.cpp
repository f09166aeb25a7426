#include "mainwnd/TickTockMath.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace ticktock {

unsigned FramesForTempo(unsigned tempo) {
    if (tempo > 200)
        return 12;
    if (tempo > 120)
        return 24;
    if (tempo >= 50)
        return 30;
    return 60;
}

double SwingTiming::Step() const {
    // A real division: 24 frames of a whole 7 degrees would fall short of the
    // end when the period has no fraction, and every swing would be cut.
    return nFrames ? 180.0 / nFrames + dFrac : 0.0;
}

SwingTiming PlanSwing(unsigned tempo, unsigned beats, unsigned note) {
    SwingTiming timing;
    if (tempo == 0)
        return timing;
    timing.nFrames = FramesForTempo(tempo);
    double c = 60000.0 / tempo / timing.nFrames;
    if (note == 16)
        c = c * beats * 0.25;
    timing.nPeriod = static_cast<unsigned>(c);
    timing.dFrac = c - timing.nPeriod;
    return timing;
}

void Needle::BeginSwing() {
    if (dAngle > 90.0) {
        dAngle = kLeft;
        bUp = false;
    } else {
        dAngle = kRight;
        bUp = true;
    }
}

bool Needle::Advance(double step) {
    if (bUp) {
        dAngle += step;
        if (dAngle > kLeft) {
            dAngle = kLeft;
            return true;
        }
        return false;
    }
    dAngle -= step;
    if (dAngle < kRight) {
        dAngle = kRight;
        return true;
    }
    return false;
}

int DriftGrey(std::int32_t drift) {
    // In 64 bits: the magnitude of the most negative drift does not fit in 32.
    long long v = std::llabs(static_cast<long long>(drift)) / 20;
    return static_cast<int>(v > 200 ? 200 : v);
}

std::string FormatDrift(std::int32_t drift) {
    char text[32];
    std::snprintf(text, sizeof text, drift != 0 ? "%+0.2fs / h" : "%0.2fs / h", drift * 0.001);
    return text;
}

double SignatureBoxFactor(unsigned beats, unsigned note) {
    int wide = (beats > 9 ? 1 : 0) + (note > 9 ? 1 : 0);
    return wide == 0 ? 1.4 : wide == 1 ? 1.7 : 2.2;
}

Point ArcPoint(int x, int y, int r, float degrees) {
    float radians = degrees * 0.0027777778f * 6.283184f;
    return Point{x + static_cast<int>(r * std::cos(radians)), y - static_cast<int>(r * std::sin(radians))};
}

} // namespace ticktock
