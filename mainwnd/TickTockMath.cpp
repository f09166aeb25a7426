#include "mainwnd/TickTockMath.h"

#include <algorithm>
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

bool SwingSchedule::Ask(Time heardAt, const SwingTiming& timing, Time now) {
    const bool moved = Update(now);
    m_bWaiting = true;
    m_waitingAt = heardAt;
    m_waitingTiming = timing;
    return Update(now) || moved;
}

bool SwingSchedule::Update(Time now) {
    bool moved = false;
    if (m_bWaiting && now >= m_waitingAt) {
        // The swing before ends where it stood when this one begins, which
        // decides the end this one starts from.
        AdvanceTo(m_waitingAt);
        m_bWaiting = false;
        m_timing = m_waitingTiming;
        m_needle.BeginSwing();
        // Late, it begins now: the needle shows at its end first.
        m_start = now;
        m_nFrame = 0;
        m_bSwinging = m_timing.nPeriod > 0;
        moved = true;
    }
    return AdvanceTo(now) || moved;
}

bool SwingSchedule::AdvanceTo(Time t) {
    if (!m_bSwinging || t <= m_start)
        return false;
    // Bounded: a needle far behind has long reached its end.
    const auto due = static_cast<unsigned>(
        std::min<Clock::rep>((t - m_start) / std::chrono::milliseconds(m_timing.nPeriod), 1'000'000));
    const double before = m_needle.dAngle;
    while (m_bSwinging && m_nFrame < due) {
        ++m_nFrame;
        if (m_needle.Advance(m_timing.Step()))
            m_bSwinging = false;
    }
    // The frame that ends a swing from exactly its end does not move it.
    return m_needle.dAngle != before;
}

std::optional<SwingSchedule::Time> SwingSchedule::NextChange() const {
    std::optional<Time> next;
    if (m_bSwinging)
        next = m_start +
               std::chrono::milliseconds(std::chrono::milliseconds::rep{m_nFrame + 1} * m_timing.nPeriod);
    if (m_bWaiting && (!next || m_waitingAt < *next))
        next = m_waitingAt;
    return next;
}

void SwingSchedule::Stop() {
    m_bSwinging = false;
    m_bWaiting = false;
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
