#include "engine/BeatSequencer.h"

#include <algorithm>

#include "model/BeatPattern.h"

unsigned CBeatSequencer::GetPatternStepsPerBeat() const {
    const CCustomBeat* pattern = m_pPattern.load();
    if (!pattern)
        return 4;
    return static_cast<unsigned>(std::max(pattern->m_nStepsPerBeat, 1));
}

void CBeatSequencer::PlayTick() {
    if (m_bUserBeat.load())
        PlayPatternStep();
    else
        PlayClick();
}

void CBeatSequencer::PlayClick() {
    const unsigned step = m_nStep.load();
    Retrigger(step == 0 ? kAccentSoundId : kClickSoundId);
    const unsigned bar = std::max(m_nBeatsPerBar.load(), 1u);
    m_nStep.store((step + 1) % bar);
}

void CBeatSequencer::PlayPatternStep() {
    const CCustomBeat* pattern = m_pPattern.load();
    // An empty pattern plays nothing and holds the step.
    if (!pattern || pattern->GetTrackCount() == 0 || pattern->GetStepCount() <= 0)
        return;
    const auto length = static_cast<unsigned>(pattern->GetStepCount());
    // A step left over from click mode, when the mode changes between two
    // ticks, may lie past the pattern's end.
    const unsigned step = m_nStep.load() % length;
    for (const auto& track : pattern->m_arrTracks) {
        if (step >= static_cast<unsigned>(track->GetCellCount()))
            continue;
        const int id = track->GetCell(static_cast<int>(step)).m_nSoundId;
        if (IsInstrumentId(id))
            Retrigger(id);
    }
    m_nStep.store((step + 1) % length);
}

void CBeatSequencer::PlaySounds(const int* ids, int count) {
    for (int i = 0; i < count; ++i) {
        if (IsInstrumentId(ids[i]))
            Retrigger(ids[i]);
    }
}

void CBeatSequencer::AlignStep(unsigned n) {
    if (n == 0)
        return;
    const unsigned step = m_nStep.load();
    m_nStep.store(step - step % n);
}
