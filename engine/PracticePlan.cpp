#include "engine/PracticePlan.h"

#include <algorithm>

#include "engine/TickMath.h"

namespace {

constexpr unsigned kMinTempo = 30;
constexpr unsigned kMaxTempo = 300;

// Ticks from one swing of the needle to the next, as the clicks have them.
unsigned TicksPerSwing(unsigned note, unsigned beats) {
    return std::max(note == 16 ? beats : note >> 2, 1u);
}

} // namespace

void CPracticeRun::Begin(const PracticePlan& plan, const PracticeBeat& beat, bool fresh) {
    m_plan = plan;
    m_plan.nTrainerEvery = std::max(m_plan.nTrainerEvery, 1u);
    m_plan.nMutePlay = std::max(m_plan.nMutePlay, 1u);
    m_beat = beat;
    m_beat.nTempo = std::clamp(m_beat.nTempo, kMinTempo, kMaxTempo);
    m_beat.nBarTicks = std::max(m_beat.nBarTicks, 1u);
    m_nPeriod = ComputeTickPeriod(m_beat.nTempo, m_beat.nTickNote);
    m_nCountInTicks = fresh ? plan.nCountInBars * beat.nCountInBeats : 0;
    m_nCountInDone = 0;
    m_nTick = 0;
    if (fresh)
        m_nPlayedMs = 0;
    m_bEnded = false;
    m_status = PracticeStatus{};
    m_status.nTempo = m_beat.nTempo;
    m_status.nPlayedSeconds = static_cast<unsigned>(m_nPlayedMs / 1000);
    m_status.nCountInLeft = fresh ? plan.nCountInBars : 0;
    if (m_beat.nCountInBeats == 0)
        m_status.nCountInLeft = 0;
    m_nShowTempo = 0;
}

unsigned CPracticeRun::FirstPeriod() const {
    return IsCountingIn() ? ComputeTickPeriod(m_beat.nTempo, m_beat.nCountInNote) : m_nPeriod;
}

CPracticeRun::Tick CPracticeRun::Next() {
    Tick tick;
    if (m_bEnded) {
        tick.sound = Sound::Silent;
        return tick;
    }
    if (m_nShowTempo != 0) {
        m_status.nTempo = m_nShowTempo;
        m_nShowTempo = 0;
    }
    if (IsCountingIn()) {
        const unsigned beats = m_beat.nCountInBeats;
        const unsigned done = m_nCountInDone++;
        tick.sound = done % beats == 0 ? Sound::CountInAccent : Sound::CountInClick;
        tick.bCountInSwing = done % TicksPerSwing(m_beat.nCountInNote, beats) == 0;
        m_status.nCountInLeft = (m_nCountInTicks - done + beats - 1) / beats;
        // The pattern's first step comes one count-in beat after the last
        // click, at its own period from then on.
        if (!IsCountingIn())
            tick.nNextPeriod = m_nPeriod;
        return tick;
    }
    const std::uint64_t bar = m_nTick / m_beat.nBarTicks;
    const unsigned place = static_cast<unsigned>(m_nTick % m_beat.nBarTicks);
    if (place == 0) {
        if (m_plan.IsTimerOn() && m_nPlayedMs >= std::uint64_t{m_plan.nMinutes} * 60000) {
            m_bEnded = true;
            tick.sound = Sound::End;
            return tick;
        }
        m_status.nBar = static_cast<unsigned>(bar + 1);
        m_status.nCountInLeft = 0;
        m_status.bMuted =
            m_plan.IsMuteOn() && bar % (m_plan.nMutePlay + m_plan.nMuteSilent) >= m_plan.nMutePlay;
    }
    tick.sound = m_status.bMuted ? Sound::Silent : Sound::Play;
    m_status.nPlayedSeconds = static_cast<unsigned>(m_nPlayedMs / 1000);
    m_nPlayedMs += m_nPeriod;
    ++m_nTick;
    if (place + 1 == m_beat.nBarTicks && m_plan.IsTrainerOn() && (bar + 1) % m_plan.nTrainerEvery == 0) {
        const unsigned tempo = TrainerNext();
        if (tempo != m_beat.nTempo)
            tick.nNextPeriod = ChangeTempo(tempo);
    }
    return tick;
}

unsigned CPracticeRun::ChangeTempo(unsigned tempo) {
    m_beat.nTempo = std::clamp(tempo, kMinTempo, kMaxTempo);
    m_nPeriod = ComputeTickPeriod(m_beat.nTempo, m_beat.nTickNote);
    m_nShowTempo = m_beat.nTempo;
    return IsCountingIn() ? 0 : m_nPeriod;
}

unsigned CPracticeRun::TrainerNext() const {
    const int tempo = static_cast<int>(m_beat.nTempo);
    const int target = static_cast<int>(std::clamp(m_plan.nTrainerTarget, kMinTempo, kMaxTempo));
    const int step = static_cast<int>(m_plan.nTrainerStep);
    const int next = tempo < target ? std::min(tempo + step, target) : std::max(tempo - step, target);
    return static_cast<unsigned>(next);
}
