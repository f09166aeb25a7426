#include "engine/MetronomeEngine.h"

#include <algorithm>

#include "engine/TickMath.h"

CMetronomeEngine::~CMetronomeEngine() {
    m_stream.StopRun(this);
}

template <class Change> void CMetronomeEngine::Restarting(Change&& change) {
    const bool playing = m_bPlaying;
    // The trainer's tempo, not the one it began from.
    m_nTempo = GetTempo();
    StopTicking();
    change();
    if (playing)
        Start(m_nTempo, false);
}

void CMetronomeEngine::StartTicking(unsigned tempo) {
    m_nChosenTempo = tempo;
    Start(tempo, true);
}

void CMetronomeEngine::Start(unsigned tempo, bool fresh) {
    StopTicking();
    m_bPlaying = true;
    m_nTempo = tempo;
    PracticeBeat beat;
    beat.nTempo = tempo;
    beat.nTickNote = m_nTickNote.load();
    beat.nBarTicks = BarTicks();
    beat.nCountInNote = m_nNote;
    beat.nCountInBeats = m_bUserBeatMode ? m_nBeats : 0;
    m_practice.Begin(m_plan, beat, fresh);
    m_nTapTempo.store(0);
    PublishPractice(false);
    m_nPeriod = m_practice.FirstPeriod();
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
    Restarting([&] { m_nTempo = m_nChosenTempo = tempo; });
}

void CMetronomeEngine::SetPracticePlan(const PracticePlan& plan) {
    Restarting([&] { m_plan = plan; });
}

void CMetronomeEngine::TapTempo(unsigned tempo) {
    m_nChosenTempo = tempo;
    if (m_bPlaying)
        m_nTapTempo.store(tempo);
    else
        m_nTempo = tempo;
}

PracticeStatus CMetronomeEngine::GetPracticeStatus() const {
    PracticeStatus status;
    status.nTempo = GetTempo();
    status.nBar = m_nPracticeBar.load();
    status.nCountInLeft = m_nCountInLeft.load();
    status.bMuted = m_bMuted.load();
    status.nPlayedSeconds = m_nPlayedSeconds.load();
    return status;
}

unsigned CMetronomeEngine::BarTicks() const {
    const unsigned beats = m_nBeats;
    return m_bUserBeatMode ? beats * m_nTickBeats.load() : beats;
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
        // The practice time is up: the run waits for the window to end it.
        if (m_practice.IsEnded())
            return;
        if (m_pObserver)
            m_pObserver->OnTick(n, sample);
        Tick(sample, from, timing);
    });
}

void CMetronomeEngine::Tick(std::int64_t sample, std::int64_t blockStart, CBlockTicks::Timing timing) {
    const bool skipped = timing == CBlockTicks::Timing::Skipped;
    if (skipped)
        m_nSkippedTicks.fetch_add(1);
    // A late tick sounds at the block's start.
    if (PlayPracticeTick(sample, skipped) && !skipped)
        m_display.StartSwing(m_stream.HeardTimeOf(std::max(sample, blockStart)));
}

bool CMetronomeEngine::PlayPracticeTick(std::int64_t sample, bool skipped) {
    const CPracticeRun::Tick tick = m_practice.Next();
    bool swing = false;
    switch (tick.sound) {
    case CPracticeRun::Sound::Play:
    case CPracticeRun::Sound::Silent: {
        if (skipped || tick.sound == CPracticeRun::Sound::Silent)
            m_sequencer.SkipTick();
        else
            m_sequencer.PlayTick(sample);
        const unsigned inBeat = m_nTickInBeat.load();
        swing = inBeat == 0;
        m_nTickInBeat.store((inBeat + 1) % TicksPerSwing());
        break;
    }
    case CPracticeRun::Sound::CountInAccent:
    case CPracticeRun::Sound::CountInClick:
        if (!skipped)
            m_sequencer.PlaySignal(
                tick.sound == CPracticeRun::Sound::CountInAccent ? kAccentSoundId : kClickSoundId, sample);
        swing = tick.bCountInSwing;
        break;
    case CPracticeRun::Sound::End:
        m_sequencer.PlaySignal(kPracticeEndSoundId, sample);
        break;
    }
    m_ticks.ChangePeriod(tick.nNextPeriod);
    // A tapped tempo takes over at the next beat: the tick that begins it
    // keeps its sample and the periods after it are the new tempo's. During
    // the count-in the pattern starts at it.
    const unsigned tapped = m_nTapTempo.load();
    if (tapped != 0 && m_nTickInBeat.load() == 0) {
        m_nTapTempo.store(0);
        m_ticks.ChangePeriod(m_practice.ChangeTempo(tapped));
    }
    PublishPractice(tick.sound == CPracticeRun::Sound::End);
    return swing;
}

void CMetronomeEngine::PublishPractice(bool ended) {
    const PracticeStatus& status = m_practice.GetStatus();
    // Every field is stored, whichever has changed.
    int changes = 0;
    changes += m_nSoundingTempo.exchange(status.nTempo) != status.nTempo;
    changes += m_nPracticeBar.exchange(status.nBar) != status.nBar;
    changes += m_nCountInLeft.exchange(status.nCountInLeft) != status.nCountInLeft;
    changes += m_bMuted.exchange(status.bMuted) != status.bMuted;
    changes += m_nPlayedSeconds.exchange(status.nPlayedSeconds) != status.nPlayedSeconds;
    if (!m_pPracticeListener)
        return;
    if (ended)
        m_pPracticeListener->OnPracticeEnded();
    else if (changes != 0 && m_plan.AnyOn())
        m_pPracticeListener->OnPracticeChanged();
}
