#include "engine/SampleSchedule.h"

std::int64_t CSampleSchedule::SampleOf(std::uint64_t tick) const {
    // Whole seconds and the milliseconds left apart, so that even years of
    // ticks stay far inside 64 bits.
    const std::uint64_t ms = tick * m_nPeriodMs;
    const std::uint64_t samples = ms / 1000 * m_nRate + ms % 1000 * m_nRate / 1000;
    return m_nFirstSample + static_cast<std::int64_t>(samples);
}

std::uint64_t CSampleSchedule::FirstTickFrom(std::int64_t sample) const {
    if (!IsValid() || sample <= m_nFirstSample)
        return 0;
    // SampleOf(n) >= s exactly when n x period x rate >= s x 1000, as s is
    // whole: n is that quotient rounded up.
    const auto offset = static_cast<std::uint64_t>(sample - m_nFirstSample);
    const std::uint64_t perTick = std::uint64_t{m_nPeriodMs} * m_nRate;
    return (offset * 1000 + perTick - 1) / perTick;
}

void CSampleSchedule::ChangeRate(unsigned rate) {
    if (m_nRate == 0 || rate == 0)
        return;
    // Stream positions stay far below 2^63 / rate (decades of samples).
    m_nFirstSample = m_nFirstSample * rate / m_nRate;
    m_nRate = rate;
}
