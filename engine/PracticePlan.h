// The practice tools over a run of ticks: bars of count-in clicks before a
// pattern, a speed trainer that moves the tempo every few bars, bars heard
// and bars left silent, and a time after which the run ends with its bar.
// Only arithmetic: the engine asks for every tick in turn what it plays and
// whether the period changes after it; the tick's sample stays the run's.
#pragma once

#include <cstdint>

struct PracticePlan {
    // Bars of clicks before the pattern (user beat mode); 0 is off.
    unsigned nCountInBars = 0;
    // The trainer: every nTrainerEvery bars the tempo moves nTrainerStep bpm
    // towards nTrainerTarget, and stays there; a step of 0 is off.
    unsigned nTrainerStep = 0;
    unsigned nTrainerEvery = 4;
    unsigned nTrainerTarget = 160;
    // nMutePlay bars heard, then nMuteSilent bars silent, over and over; 0
    // silent bars is off.
    unsigned nMutePlay = 4;
    unsigned nMuteSilent = 0;
    // Minutes of playing after which the run ends at the end of its bar; 0
    // is off.
    unsigned nMinutes = 0;

    bool IsTrainerOn() const { return nTrainerStep != 0; }
    bool IsMuteOn() const { return nMuteSilent != 0; }
    bool IsTimerOn() const { return nMinutes != 0; }
    bool AnyOn() const { return nCountInBars != 0 || IsTrainerOn() || IsMuteOn() || IsTimerOn(); }
};

// The beat a run plays.
struct PracticeBeat {
    unsigned nTempo = 100;
    // The note of one tick (4, 8 or 16) and the ticks in one bar.
    unsigned nTickNote = 4;
    unsigned nBarTicks = 4;
    // The count-in's clicks: the chosen beat's note and beats per bar. No
    // beats, no count-in (click mode has none).
    unsigned nCountInNote = 4;
    unsigned nCountInBeats = 0;
};

// How far a run has come, for the tick display.
struct PracticeStatus {
    // The tempo sounding now.
    unsigned nTempo = 0;
    // Bars of music begun, counting the one playing; 0 during the count-in.
    unsigned nBar = 0;
    // Count-in bars still to come, counting the one playing.
    unsigned nCountInLeft = 0;
    // The bar playing is one of the silent ones.
    bool bMuted = false;
    // Whole seconds played since Start, the count-in left out.
    unsigned nPlayedSeconds = 0;
};

class CPracticeRun {
public:
    enum class Sound {
        // The beat's own sound: the click, or the pattern's step.
        Play,
        // A tick of a silent bar: nothing sounds, the beat goes on.
        Silent,
        CountInAccent,
        CountInClick,
        // The time is up: the end sound instead of the next bar's first
        // tick, and no tick after it.
        End,
    };
    struct Tick {
        Sound sound = Sound::Play;
        // A count-in click that begins a swing of the needle.
        bool bCountInSwing = false;
        // The ticks after the next one come every nNextPeriod ms; 0 when the
        // period stays. The next tick itself keeps its sample: one period of
        // the old tempo after this one.
        unsigned nNextPeriod = 0;
    };

    // A run from its first tick. A fresh one (Start) counts in and starts the
    // time played from 0; another (a restart at a new tempo or beat) goes on
    // with the time played so far.
    void Begin(const PracticePlan& plan, const PracticeBeat& beat, bool fresh);
    // The period of the first tick.
    unsigned FirstPeriod() const;
    // The tick that comes next, in order.
    Tick Next();
    // From the next beat on, the tempo is this (a tap while playing); the
    // trainer goes on from it. Returns the new period, or 0 while counting in
    // (the pattern starts at the new tempo).
    unsigned ChangeTempo(unsigned tempo);

    const PracticeStatus& GetStatus() const { return m_status; }
    bool IsEnded() const { return m_bEnded; }
    bool IsCountingIn() const { return m_nCountInDone < m_nCountInTicks; }

private:
    unsigned TrainerNext() const;

    PracticePlan m_plan;
    PracticeBeat m_beat;
    unsigned m_nPeriod = 0;
    unsigned m_nCountInTicks = 0;
    unsigned m_nCountInDone = 0;
    // Ticks of music since the run began.
    std::uint64_t m_nTick = 0;
    std::uint64_t m_nPlayedMs = 0;
    bool m_bEnded = false;
    PracticeStatus m_status;
    // A tempo that shows from the next tick on, the first at it; 0 for none.
    unsigned m_nShowTempo = 0;
};
