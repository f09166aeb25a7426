// Where each tick of a run sounds in the output stream: tick n at the run's
// first sample + n x period x rate / 1000, in exact integer arithmetic, so a
// fraction of a sample per tick is carried and never adds up to drift.
#pragma once

#include <cstdint>

class CSampleSchedule {
public:
    CSampleSchedule() = default;
    // Tick 0 sounds at firstSample; a tick every periodMs at rate samples per
    // second.
    CSampleSchedule(std::int64_t firstSample, unsigned periodMs, unsigned rate)
        : m_nFirstSample(firstSample), m_nPeriodMs(periodMs), m_nRate(rate) {}

    bool IsValid() const { return m_nPeriodMs != 0 && m_nRate != 0; }
    std::int64_t GetFirstSample() const { return m_nFirstSample; }
    unsigned GetPeriodMs() const { return m_nPeriodMs; }
    unsigned GetRate() const { return m_nRate; }

    // The sample of tick n: the exact time rounded down to a whole sample.
    std::int64_t SampleOf(std::uint64_t tick) const;
    // The first tick whose sample is at or after this sample (0 for any
    // sample at or before the first).
    std::uint64_t FirstTickFrom(std::int64_t sample) const;
    // The same run at another rate (the stream reopened on another device):
    // the first sample moves so that every tick keeps its time.
    void ChangeRate(unsigned rate);

private:
    std::int64_t m_nFirstSample = 0;
    unsigned m_nPeriodMs = 0;
    unsigned m_nRate = 0;
};
