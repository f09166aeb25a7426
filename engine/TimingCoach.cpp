#include "engine/TimingCoach.h"

#include <algorithm>
#include <cmath>

namespace {

// Ticks and beats further back than this are no longer near any new onset.
constexpr std::int64_t kKeepUs = 5'000'000;

} // namespace

void CCoachStats::Add(double offsetMs) {
    ++m_nCount;
    m_dSum += offsetMs;
    m_dSquares += offsetMs * offsetMs;
    if (std::fabs(offsetMs) <= 10.0)
        ++m_nWithin;
}

CoachSummary CCoachStats::GetSummary() const {
    CoachSummary summary;
    summary.nHits = m_nCount;
    if (m_nCount == 0)
        return summary;
    const double n = m_nCount;
    summary.dMeanMs = m_dSum / n;
    if (m_nCount > 1)
        summary.dSdMs = std::sqrt(std::max(0.0, (m_dSquares - m_dSum * m_dSum / n) / (n - 1)));
    summary.dWithin10Pct = 100.0 * m_nWithin / n;
    return summary;
}

void CCoachSession::AddTick(const CoachTick& tick) {
    m_ticks.push_back(tick);
    if (tick.bBeat) {
        m_beats.push_back(tick.nHeardUs);
        ++m_nBeats;
    }
}

void CCoachSession::AddOnset(const CoachOnset& onset) {
    m_onsets.push_back(onset);
}

bool CCoachSession::IsEcho(std::int64_t heardUs, float peak) const {
    if (peak >= kLouderThanEcho * m_fEchoLevel)
        return false;
    const auto window = static_cast<std::int64_t>(kEchoWindowMs * 1000.0);
    return std::any_of(m_ticks.begin(), m_ticks.end(),
                       [&](const CoachTick& tick) { return std::llabs(heardUs - tick.nHeardUs) <= window; });
}

std::optional<double> CCoachSession::OffsetOf(std::int64_t heardUs) const {
    if (m_beats.empty())
        return std::nullopt;
    const auto after = std::lower_bound(m_beats.begin(), m_beats.end(), heardUs);
    // Before the first beat or after the last, a hit counts within half the
    // beat next to it.
    std::int64_t beat;
    std::int64_t half;
    if (after == m_beats.end()) {
        beat = m_beats.back();
        half = m_beats.size() > 1 ? (beat - m_beats[m_beats.size() - 2]) / 2 : 0;
    } else if (after == m_beats.begin()) {
        beat = *after;
        half = m_beats.size() > 1 ? (m_beats[1] - beat) / 2 : 0;
    } else {
        const std::int64_t before = *(after - 1);
        beat = heardUs - before <= *after - heardUs ? before : *after;
        // Between two beats the nearer one is always near enough.
        half = *after - before;
    }
    if (std::llabs(heardUs - beat) > half)
        return std::nullopt;
    return static_cast<double>(heardUs - beat) / 1000.0;
}

std::vector<CoachHit> CCoachSession::Match(bool ended) {
    std::vector<CoachHit> hits;
    const auto latencyUs = static_cast<std::int64_t>(std::llround(m_dLatencyMs * 1000.0));
    const auto window = static_cast<std::int64_t>(kEchoWindowMs * 1000.0);
    while (!m_onsets.empty()) {
        const CoachOnset onset = m_onsets.front();
        const std::int64_t heard = onset.nAtUs - latencyUs;
        // Its nearest beat may still come, and so may an own sound near it.
        const bool settled = !m_beats.empty() && m_beats.back() >= heard && !m_ticks.empty() &&
                             m_ticks.back().nHeardUs > heard + window;
        if (!ended && !settled)
            break;
        m_onsets.pop_front();
        m_nLastHeardUs = heard;
        if (IsEcho(heard, onset.fPeak))
            continue;
        if (const std::optional<double> offset = OffsetOf(heard)) {
            m_stats.Add(*offset);
            hits.push_back(CoachHit{*offset, m_stats.GetSummary().dMeanMs});
        }
    }
    // Onsets come in later than the ticks they are near; neither runs far
    // ahead of the other.
    const std::int64_t keepFrom =
        std::min(m_nLastHeardUs, m_ticks.empty() ? 0 : m_ticks.back().nHeardUs) - kKeepUs;
    while (m_ticks.size() > 1 && m_ticks.front().nHeardUs < keepFrom)
        m_ticks.pop_front();
    while (m_beats.size() > 2 && m_beats.front() < keepFrom)
        m_beats.pop_front();
    return hits;
}

std::optional<CoachCalibration> Calibrate(const std::vector<std::int64_t>& clicksUs,
                                          const std::vector<CoachOnset>& onsets) {
    struct Back {
        double dDelayMs;
        float fPeak;
    };
    std::vector<Back> backs;
    const auto most = static_cast<std::int64_t>(kCalibrationMaxMs * 1000.0);
    for (const std::int64_t click : clicksUs) {
        const auto back = std::find_if(onsets.begin(), onsets.end(), [&](const CoachOnset& onset) {
            return onset.nAtUs >= click && onset.nAtUs - click < most;
        });
        if (back != onsets.end())
            backs.push_back(Back{static_cast<double>(back->nAtUs - click) / 1000.0, back->fPeak});
    }
    std::sort(backs.begin(), backs.end(),
              [](const Back& a, const Back& b) { return a.dDelayMs < b.dDelayMs; });
    // The most delays that agree: a click lost in a drop-out of the sound
    // path does not move the round trip.
    std::size_t from = 0;
    std::size_t count = 0;
    for (std::size_t first = 0, last = 0; first < backs.size(); ++first) {
        while (last < backs.size() && backs[last].dDelayMs - backs[first].dDelayMs <= kCalibrationSpreadMs)
            ++last;
        if (last - first > count) {
            from = first;
            count = last - first;
        }
    }
    if (count < 3 || count * 2 <= clicksUs.size())
        return std::nullopt;
    const double median = count % 2
                              ? backs[from + count / 2].dDelayMs
                              : (backs[from + count / 2 - 1].dDelayMs + backs[from + count / 2].dDelayMs) / 2;
    float echo = 0.0f;
    for (std::size_t i = from; i < from + count; ++i)
        echo = std::max(echo, backs[i].fPeak);
    return CoachCalibration{static_cast<unsigned>(std::lround(median)), echo};
}
