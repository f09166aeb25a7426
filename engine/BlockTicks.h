// The ticks of a run clocked by the output stream: tick n sounds at the run's
// first sample + n x period (CSampleSchedule), and each block of the stream
// takes the ticks that fall in it, on the render thread.
#pragma once

#include <cstdint>

#include "engine/SampleSchedule.h"

class CBlockTicks {
public:
    enum class Timing {
        // The tick's sample lies in the block: it sounds exactly on time.
        OnTime,
        // Its sample has already been rendered (the stream's position jumped
        // ahead, after the device ran dry or the render thread was held up):
        // it sounds at the block's start, as soon as possible.
        Late,
        // So late that the next tick is due by the block's end too: it only
        // counts, so that a gap is not made up in a burst of hits.
        Skipped,
    };

    // A run whose tick 0 sounds at firstSample, a tick every periodMs at rate
    // samples per second. A period of 0 never ticks.
    void Begin(std::int64_t firstSample, unsigned periodMs, unsigned rate) {
        m_schedule = CSampleSchedule(firstSample, periodMs, rate);
        m_nNext = 0;
        m_nFirstTick = 0;
    }
    bool IsBegun() const { return m_schedule.IsValid(); }
    const CSampleSchedule& GetSchedule() const { return m_schedule; }
    // Ticks taken so far: the index of the next one.
    std::uint64_t GetNext() const { return m_nNext; }

    // Calls tick(n, sample, timing) for every tick not yet taken whose sample
    // lies before the block's end, in order. The rate is the stream's, which
    // changes only when it reopens on another device: the ticks keep their
    // times. tick may call ChangePeriod.
    template <class Tick> void Take(std::int64_t from, std::int64_t to, unsigned rate, Tick&& tick) {
        if (!m_schedule.IsValid())
            return;
        if (rate != m_schedule.GetRate())
            m_schedule.ChangeRate(rate);
        for (std::int64_t sample = SampleOf(m_nNext); sample < to; sample = SampleOf(m_nNext)) {
            const std::int64_t next = SampleOf(m_nNext + 1);
            Timing timing = Timing::OnTime;
            if (sample < from)
                timing = next < to ? Timing::Skipped : Timing::Late;
            tick(m_nNext++, sample, timing);
        }
    }

    // From a tick's call on: the next tick keeps its sample, one period of the
    // old tempo after the last, and the ticks after it come every periodMs,
    // counted on from it in exact arithmetic as before.
    void ChangePeriod(unsigned periodMs) {
        if (periodMs == 0 || periodMs == m_schedule.GetPeriodMs())
            return;
        m_schedule = CSampleSchedule(SampleOf(m_nNext), periodMs, m_schedule.GetRate());
        m_nFirstTick = m_nNext;
    }

private:
    std::int64_t SampleOf(std::uint64_t tick) const { return m_schedule.SampleOf(tick - m_nFirstTick); }

    CSampleSchedule m_schedule;
    std::uint64_t m_nNext = 0;
    // The tick the schedule's period began at.
    std::uint64_t m_nFirstTick = 0;
};
