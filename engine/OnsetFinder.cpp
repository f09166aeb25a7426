#include "engine/OnsetFinder.h"

#include <algorithm>
#include <cmath>

namespace {

// A hit is sound louder, over a fraction of a millisecond, than the sound
// before it over about 30 ms: a hit's own decay lifts that level so that its
// tail never rises above it again, and noise never rises far above itself.
constexpr double kLoudnessMs = 0.25;
constexpr double kLevelMs = 30.0;
// How loud a hit is: the loudest it gets over its first milliseconds.
constexpr double kSettleMs = 2.0;
// Rumble and the microphone's offset are taken out below about 40 Hz.
constexpr double kBlockHz = 40.0;
constexpr double kPi = 3.14159265358979323846;

} // namespace

COnsetFinder::COnsetFinder(unsigned rate)
    : m_nPeakFrames(static_cast<std::int64_t>(kPeakMs * rate / 1000.0)),
      m_nRefractoryFrames(static_cast<std::int64_t>(kRefractoryMs * rate / 1000.0)),
      m_nSettleFrames(static_cast<std::int64_t>(kSettleMs * rate / 1000.0)),
      m_fFast(static_cast<float>(1.0 - std::exp(-1000.0 / (kLoudnessMs * rate)))),
      m_fSlow(static_cast<float>(1.0 - std::exp(-1000.0 / (kLevelMs * rate)))),
      m_fBlock(static_cast<float>(1.0 - 2.0 * kPi * kBlockHz / rate)) {}

bool COnsetFinder::Step(float sample, std::int64_t frame, Onset& done) {
    const float out = sample - m_fLastIn + m_fBlock * m_fLastOut;
    m_fLastIn = sample;
    m_fLastOut = out;
    const float power = out * out;
    m_fFastPower += (power - m_fFastPower) * m_fFast;
    const float loudness = std::sqrt(m_fFastPower);
    const float magnitude = std::fabs(out);
    bool complete = false;
    if (m_bInHit) {
        m_hit.fPeak = std::max(m_hit.fPeak, magnitude);
        if (frame - m_hit.nFrame >= m_nPeakFrames) {
            m_bInHit = false;
            done = m_hit;
            complete = true;
        }
    }
    // Within a hit only a far louder one begins anew: a player's hit just
    // after a quiet click coming back is not lost in it.
    const bool rises = loudness > std::max(kFloor, kRise * std::sqrt(m_fSlowPower));
    const std::int64_t since = frame - m_nLastHit;
    if (rises && (since >= m_nRefractoryFrames ||
                  (since >= m_nSettleFrames && loudness > kLouder * m_fLastLoudness))) {
        if (m_bInHit) {
            done = m_hit;
            complete = true;
        }
        m_bInHit = true;
        m_hit = Onset{frame, magnitude};
        m_nLastHit = frame;
        m_fLastLoudness = 0.0f;
    }
    if (frame - m_nLastHit < m_nSettleFrames)
        m_fLastLoudness = std::max(m_fLastLoudness, loudness);
    m_fSlowPower += (power - m_fSlowPower) * m_fSlow;
    return complete;
}
