// The tick display's arithmetic: the needle's swing, its geometry, and how the
// tempo, the time signature and the drift are shown.
#pragma once

#include <cstdint>
#include <string>

namespace ticktock {

// Needle angles in degrees: 0 points right, 90 up, 180 left.
inline constexpr double kRight = 0.0;
inline constexpr double kLeft = 180.0;

// Frames in one swing: fewer as the tempo rises.
unsigned FramesForTempo(unsigned tempo);

// How one swing is timed: the frame timer's whole-millisecond period and the
// fraction it leaves out, which each frame adds to its step so that the
// needle still arrives in time.
struct SwingTiming {
    unsigned nFrames = 0;
    unsigned nPeriod = 0;
    double dFrac = 0.0;
    // Degrees the needle moves each frame.
    double Step() const;
};

// A swing lasts one quarter note, or beats sixteenths when the note is 16
// (matching the ticks between two swings of the sequencer). Tempo 0 has no
// timing: all zero.
SwingTiming PlanSwing(unsigned tempo, unsigned beats, unsigned note);

// The needle in motion.
struct Needle {
    double dAngle = kLeft;
    // The angle grows (the needle moves from right to left).
    bool bUp = false;

    // A new swing starts from the end on whose side of 90 degrees the needle
    // stands, towards the other end; a swing cut short swings back.
    void BeginSwing();
    // One frame; true when the needle has passed its end and the swing is
    // over (landing exactly on the end takes one more frame).
    bool Advance(double step);
};

// The grey level (0 to 200) of the tempo figure for a drift in milliseconds
// per hour: black when exact, paler the more it drifts.
int DriftGrey(std::int32_t drift);

// The drift shown under the dial, in seconds per hour: "+1.92s / h",
// "-0.60s / h", "0.00s / h".
std::string FormatDrift(std::int32_t drift);

// Width of the time signature box in font heights: wider for two-digit
// figures.
double SignatureBoxFactor(unsigned beats, unsigned note);

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

// The point at an angle (degrees, single precision as drawn) on a circle of
// radius r about (x, y), with y growing downwards; each offset truncated.
Point ArcPoint(int x, int y, int r, float degrees);

} // namespace ticktock
