// A run of ticks on the output stream for a thread that decides what each
// tick plays only when it comes, such as the editor's preview on the window
// thread: every tick is announced a lead before the block with its sample is
// mixed, so that its sounds can still be placed at that sample, and once more
// when that block is mixed, so that it can be shown as it is heard.
#pragma once

#include <cstdint>

#include "engine/BlockTicks.h"
#include "engine/TickInterfaces.h"

class CLeadTicks : public IBlockListener {
public:
    // Told on the render thread: it only hands the tick on (posts), never
    // waits.
    class IReceiver {
    public:
        virtual void OnTickAhead(std::int64_t sample) = 0;
        virtual void OnTickMixed(std::int64_t sample) = 0;

    protected:
        ~IReceiver() = default;
    };

    explicit CLeadTicks(IReceiver& receiver) : m_receiver(receiver) {}

    // A new run: a tick every periodMs, announced leadMs ahead, the first one
    // period after the run's first block. Not while the run is going.
    void Reset(unsigned periodMs, unsigned leadMs) {
        m_nPeriodMs = periodMs;
        m_nLeadMs = leadMs;
        m_ahead = CBlockTicks();
        m_mixed = CBlockTicks();
    }

    void OnBlock(std::int64_t from, std::int64_t to, unsigned rate) override {
        if (!m_ahead.IsBegun()) {
            const std::int64_t first = from + std::int64_t{m_nPeriodMs} * rate / 1000;
            m_ahead.Begin(first, m_nPeriodMs, rate);
            m_mixed.Begin(first, m_nPeriodMs, rate);
        }
        // Ticks the stream's clock jumped over are left out, not made up.
        const std::int64_t lead = std::int64_t{m_nLeadMs} * rate / 1000;
        m_ahead.Take(from + lead, to + lead, rate,
                     [&](std::uint64_t, std::int64_t sample, CBlockTicks::Timing t) {
                         if (t != CBlockTicks::Timing::Skipped)
                             m_receiver.OnTickAhead(sample);
                     });
        m_mixed.Take(from, to, rate, [&](std::uint64_t, std::int64_t sample, CBlockTicks::Timing t) {
            if (t != CBlockTicks::Timing::Skipped)
                m_receiver.OnTickMixed(sample);
        });
    }

private:
    IReceiver& m_receiver;
    unsigned m_nPeriodMs = 0;
    unsigned m_nLeadMs = 0;
    CBlockTicks m_ahead;
    CBlockTicks m_mixed;
};
