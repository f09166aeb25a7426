// The tick display's arithmetic: the needle's swing, its geometry, and how the
// tempo, the time signature and the drift are shown.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
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

// When the needle moves, against the steady clock: the swing that runs and
// the one asked for next. A swing begins when its click is heard, and frame k
// of it is due k whole frame periods after it began, however late the frames
// before were drawn: a late frame catches up instead of delaying the rest.
class SwingSchedule {
public:
    using Clock = std::chrono::steady_clock;
    using Time = Clock::time_point;

    // Asks at `now` for a swing that begins at heardAt, or at once when that
    // has passed. The needle is brought to `now` first, so that a swing asked
    // for before begins when its time has come; of two that wait, the later
    // request stands (the ticks are far enough apart that this does not
    // happen). True when the needle has moved or a swing has begun.
    bool Ask(Time heardAt, const SwingTiming& timing, Time now);
    // Brings the needle to where it stands at `now`. True when it has moved
    // or a swing has begun.
    bool Update(Time now);
    // The next time Update has something to do; none while nothing runs or
    // waits.
    std::optional<Time> NextChange() const;
    // Ends the running swing where the needle stands and drops the one asked
    // for.
    void Stop();

    const Needle& GetNeedle() const { return m_needle; }
    const SwingTiming& GetTiming() const { return m_timing; }
    bool IsSwinging() const { return m_bSwinging; }
    bool IsWaiting() const { return m_bWaiting; }
    // The frame the running or the last swing has reached; 0 as it begins.
    unsigned GetFrame() const { return m_nFrame; }
    // When the running or the last swing began.
    Time GetStart() const { return m_start; }

private:
    // Moves the running swing to the frame due at t.
    bool AdvanceTo(Time t);

    Needle m_needle;
    SwingTiming m_timing;
    bool m_bSwinging = false;
    unsigned m_nFrame = 0;
    Time m_start{};
    bool m_bWaiting = false;
    Time m_waitingAt{};
    SwingTiming m_waitingTiming;
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
