#include "engine/BeatSequencer.h"

#include <algorithm>

#include "model/BeatPattern.h"

unsigned CBeatSequencer::GetPatternStepsPerBeat() const {
    const CCustomBeat* pattern = m_pPattern.load();
    if (!pattern)
        return 4;
    return static_cast<unsigned>(std::max(pattern->m_nStepsPerBeat, 1));
}

void CBeatSequencer::PlayTick(std::int64_t sample) {
    Tick(false, sample);
}

void CBeatSequencer::SkipTick() {
    Tick(true, kAsSoonAsPossible);
}

void CBeatSequencer::Tick(bool silent, std::int64_t sample) {
    if (m_bUserBeat.load())
        PlayPatternStep(silent, sample);
    else
        PlayClick(silent, sample);
}

void CBeatSequencer::PlayClick(bool silent, std::int64_t sample) {
    const unsigned step = m_nStep.load();
    if (!silent)
        Retrigger(step == 0 ? kAccentSoundId : kClickSoundId, sample);
    const unsigned bar = std::max(m_nBeatsPerBar.load(), 1u);
    m_nStep.store((step + 1) % bar);
}

void CBeatSequencer::PlayPatternStep(bool silent, std::int64_t sample) {
    const CCustomBeat* pattern = m_pPattern.load();
    // An empty pattern plays nothing and holds the step.
    if (!pattern || pattern->GetTrackCount() == 0 || pattern->GetStepCount() <= 0)
        return;
    const auto length = static_cast<unsigned>(pattern->GetStepCount());
    // A step left over from click mode, or from a longer pattern, may lie
    // past the pattern's end.
    const unsigned step = m_nStep.load() % length;
    for (const auto& track : pattern->m_arrTracks) {
        if (silent || step >= static_cast<unsigned>(track->GetCellCount()))
            continue;
        const int id = track->GetCell(static_cast<int>(step)).m_nSoundId;
        if (IsInstrumentId(id))
            Retrigger(id, sample);
    }
    m_nStep.store((step + 1) % length);
}

void CBeatSequencer::PlaySounds(const int* ids, int count, std::int64_t sample) {
    for (int i = 0; i < count; ++i) {
        if (IsInstrumentId(ids[i]))
            Retrigger(ids[i], sample);
    }
}

void CBeatSequencer::AlignStep(unsigned n) {
    if (n == 0)
        return;
    const unsigned step = m_nStep.load();
    m_nStep.store(step - step % n);
}
