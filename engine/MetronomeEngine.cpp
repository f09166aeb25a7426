#include "engine/MetronomeEngine.h"

#include <algorithm>

#include "engine/TickMath.h"

CMetronomeEngine::~CMetronomeEngine() {
    m_clock.Stop();
}

void CMetronomeEngine::StartTicking(unsigned tempo) {
    m_bPlaying = true;
    const unsigned period = ComputeTickPeriod(tempo, m_nTickNote.load());
    if (m_bUserBeatMode)
        m_sequencer.AlignStep(m_nTickBeats.load());
    else
        m_sequencer.ResetStep();
    m_nTickInBeat.store(0);
    // A refused tick leaves the window showing itself as playing, silently.
    m_clock.Start(period, false);
}

void CMetronomeEngine::StopTicking() {
    if (!m_bPlaying)
        return;
    m_bPlaying = false;
    // The tick first: once it has stopped no tick can begin a swing after the
    // display has stopped it.
    m_clock.Stop();
    m_display.StopSwing();
}

void CMetronomeEngine::SetBeat(unsigned beats, unsigned note) {
    m_nBeats = beats;
    m_nNote = note;
    SetEffectiveBeat();
    m_display.SetTickBeat(m_nTickBeats.load(), m_nTickNote.load());
    m_sequencer.SetBeatsPerBar(m_nBeats);
    m_sequencer.ResetStep();
}

void CMetronomeEngine::SetUserBeatMode(bool on) {
    m_bUserBeatMode = on;
    SetEffectiveBeat();
    m_sequencer.SetUserBeat(on);
    m_sequencer.ResetStep();
    m_display.SetTickBeat(m_nTickBeats.load(), m_nTickNote.load());
}

void CMetronomeEngine::SetEffectiveBeat() {
    if (m_bUserBeatMode) {
        m_nTickNote.store(16);
        m_nTickBeats.store(m_sequencer.GetPatternStepsPerBeat());
    } else {
        m_nTickNote.store(m_nNote);
        m_nTickBeats.store(m_nBeats);
    }
}

unsigned CMetronomeEngine::TicksPerSwing() const {
    const unsigned note = m_nTickNote.load();
    const unsigned ticks = note == 16 ? m_nTickBeats.load() : note >> 2;
    return std::max(ticks, 1u);
}

void CMetronomeEngine::OnTick() {
    m_sequencer.PlayTick();
    const unsigned tick = m_nTickInBeat.load();
    if (tick == 0)
        m_display.StartSwing(std::chrono::steady_clock::now());
    m_nTickInBeat.store((tick + 1) % TicksPerSwing());
}
