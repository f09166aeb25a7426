#include "mainwnd/TapTempo.h"

#include <algorithm>
#include <cmath>

#include "mainwnd/TempoJump.h"

std::optional<unsigned> CTapTempo::Tap(std::int64_t ms) {
    if (!m_taps.empty() && (ms - m_taps.back() > kPauseMs || ms < m_taps.back()))
        m_taps.clear();
    m_taps.push_back(ms);
    if (m_taps.size() > kIntervals + 1)
        m_taps.pop_front();
    if (m_taps.size() < 2)
        return std::nullopt;
    const double mean =
        static_cast<double>(m_taps.back() - m_taps.front()) / static_cast<double>(m_taps.size() - 1);
    if (mean <= 0)
        return static_cast<unsigned>(tempojump::kMaxTempo);
    const long tempo = std::lround(60000.0 / mean);
    return static_cast<unsigned>(std::clamp<long>(tempo, tempojump::kMinTempo, tempojump::kMaxTempo));
}
