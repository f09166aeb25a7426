#include "engine/MetronomeEngine.h"

#include <algorithm>

#include "engine/TickMath.h"

CMetronomeEngine::~CMetronomeEngine() {
    m_stream.StopRun(this);
}

template <class Change> void CMetronomeEngine::Restarting(Change&& change) {
    const bool playing = m_bPlaying;
    StopTicking();
    change();
    if (playing)
        StartTicking(m_nTempo);
}

void CMetronomeEngine::StartTicking(unsigned tempo) {
    StopTicking();
    m_bPlaying = true;
    m_nTempo = tempo;
    m_nPeriod = ComputeTickPeriod(tempo, m_nTickNote.load());
    if (m_bUserBeatMode)
        m_sequencer.AlignStep(m_nTickBeats.load());
    else
        m_sequencer.ResetStep();
    m_nTickInBeat.store(0);
    // The first block of the run places the first tick.
    m_ticks = CBlockTicks();
    m_started = m_stream.TimeNow();
    m_stream.StartRun(this);
}

void CMetronomeEngine::StopTicking() {
    if (!m_bPlaying)
        return;
    m_bPlaying = false;
    // The run first: once it has ended no tick can begin a swing after the
    // display has stopped it.
    m_stream.StopRun(this);
    m_display.StopSwing();
}

void CMetronomeEngine::SetTempo(unsigned tempo) {
    Restarting([&] { m_nTempo = tempo; });
}

void CMetronomeEngine::SetBeat(unsigned beats, unsigned note) {
    Restarting([&] {
        m_nBeats = beats;
        m_nNote = note;
        SetEffectiveBeat();
        m_display.SetTickBeat(m_nTickBeats.load(), m_nTickNote.load());
        m_sequencer.SetBeatsPerBar(m_nBeats);
        m_sequencer.ResetStep();
    });
}

void CMetronomeEngine::SetUserBeatMode(bool on) {
    Restarting([&] {
        m_bUserBeatMode = on;
        SetEffectiveBeat();
        m_sequencer.SetUserBeat(on);
        m_sequencer.ResetStep();
        m_display.SetTickBeat(m_nTickBeats.load(), m_nTickNote.load());
    });
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

void CMetronomeEngine::OnBlock(std::int64_t from, std::int64_t to, unsigned rate) {
    if (m_ticks.IsBegun() && from > m_nBlockEnd && rate == m_ticks.GetSchedule().GetRate())
        m_nDropouts.fetch_add(1);
    m_nBlockEnd = to;
    if (!m_ticks.IsBegun()) {
        // Opening the device takes part of the first period: the first tick
        // is rendered one period after Start, and heard the latency later.
        using namespace std::chrono;
        const auto opening = duration_cast<microseconds>(m_stream.TimeNow() - m_started).count();
        const std::int64_t wait = std::max<std::int64_t>(0, std::int64_t{m_nPeriod} * 1000 - opening);
        m_ticks.Begin(from + wait * rate / 1000000, m_nPeriod, rate);
    }
    m_ticks.Take(from, to, rate, [&](std::uint64_t n, std::int64_t sample, CBlockTicks::Timing timing) {
        if (m_pObserver)
            m_pObserver->OnTick(n, sample);
        Tick(sample, from, timing);
    });
}

void CMetronomeEngine::Tick(std::int64_t sample, std::int64_t blockStart, CBlockTicks::Timing timing) {
    const bool skipped = timing == CBlockTicks::Timing::Skipped;
    if (skipped) {
        m_sequencer.SkipTick();
        m_nSkippedTicks.fetch_add(1);
    } else {
        m_sequencer.PlayTick(sample);
    }
    const unsigned tick = m_nTickInBeat.load();
    // A late tick sounds at the block's start.
    if (tick == 0 && !skipped)
        m_display.StartSwing(m_stream.HeardTimeOf(std::max(sample, blockStart)));
    m_nTickInBeat.store((tick + 1) % TicksPerSwing());
}
