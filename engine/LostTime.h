// The time a sound device has lost: where its position stood still while the
// system clock ran on (a sound server's stream ran dry and played its queue
// again late, so everything written after is heard late by the gap). Fed with
// the device's position and the system clock, both in frames, every wake of
// the render thread; it tells the frames lost since, so that the stream's
// clock moves on by them and the ticks after are heard on their grid again.
//
// The position moves in steps and may fall behind for a while and catch up
// (under Wine it is counted by a thread of Wine's that a busy machine holds
// up), so only what stays lost through a few hundred milliseconds counts; a
// clock that slowly gains or loses against the system's is followed, not
// corrected, as the ticks keep the device's own time.
#pragma once

#include <array>
#include <cstddef>

class CLostTime {
public:
    // A gap shorter than this many milliseconds is the position's jitter.
    static constexpr double kLeastMs = 3.0;
    // Wakes a gap must last through: at 5 to 10 ms a wake, longer than
    // Wine's count takes to catch up after its thread was held up.
    static constexpr std::size_t kWakes = 40;
    // Wakes after an open while the device settles into its lag: under Wine
    // the position runs behind by up to a hundred milliseconds more in the
    // stream's first second, with nothing heard late.
    static constexpr std::size_t kSettleWakes = 200;

    // The frames lost since the last call; rate is frames per second.
    unsigned Update(double position, double clock, unsigned rate);
    // The device was opened again: it starts afresh.
    void Reset() { *this = CLostTime(); }

private:
    std::array<double, kWakes> m_behind{};
    std::size_t m_nSeen = 0;
    // How far the position runs behind the clock when nothing is lost.
    double m_dUsual = 0.0;
};
