#include "engine/LostTime.h"

#include <algorithm>

namespace {

// The share of the way to a new usual lag taken each wake: slow enough that a
// drift of a clock never adds up to a gap, fast enough to follow it.
constexpr double kFollow = 0.01;

} // namespace

unsigned CLostTime::Update(double position, double clock, unsigned rate) {
    m_behind[m_nSeen % kWakes] = clock - position;
    ++m_nSeen;
    const std::size_t seen = std::min(m_nSeen, kWakes);
    const auto [low, high] =
        std::minmax_element(m_behind.begin(), m_behind.begin() + static_cast<long>(seen));
    const double least = *low;
    const double settle = kLeastMs * rate / 1000;
    if (m_nSeen <= std::max(kWakes, kSettleWakes)) {
        m_dUsual = least;
        return 0;
    }
    const double gap = least - m_dUsual;
    if (gap <= 0) {
        m_dUsual = least;
        return 0;
    }
    if (gap < settle) {
        m_dUsual += gap * kFollow;
        return 0;
    }
    // Still standing still: the whole gap is told at once when it is over.
    if (*high - least >= settle)
        return 0;
    m_dUsual = least;
    return static_cast<unsigned>(gap);
}
