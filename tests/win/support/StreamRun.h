// A click-mode run clocked by the output stream, for the stream's tests and
// benchmark, and the thread count that tells whether the device is open.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/OutputStream.h"
#include "engine/SampleSchedule.h"

namespace pwtest {

// A click every period, the accent on every fourth tick; the first tick a
// period after the run's first block.
class ClickRun : public IBlockListener {
public:
    ClickRun(COutputStream& stream, unsigned period) : m_stream(stream), m_nPeriod(period) {}
    void OnBlock(std::int64_t from, std::int64_t to, unsigned rate) override;
    std::uint64_t GetTicks() const { return m_nTicks.load(); }

private:
    COutputStream& m_stream;
    unsigned m_nPeriod;
    CSampleSchedule m_schedule;
    std::atomic<std::uint64_t> m_nTicks{0};
};

// The threads of this process.
int CountThreads();

} // namespace pwtest
