// The main window's half of the metronome: the chosen and the effective beat,
// start and stop, and what each tick does (play it, and begin a swing of the
// needle at the start of every swing).
//
// Hook-up in the main window, which is itself the CTickTimer of the tick:
//   class CMetronomeDlg : public CDialog, public CTickTimer {
//       CSoundBank m_soundBank;      // SetPattern(the data store's pattern)
//       CTickTockCtrl m_tickTock;    // implements ITickDisplay
//       CMetronomeEngine m_engine{m_soundBank, m_tickTock, *this};
//       void OnTick() override { m_engine.OnTick(); }
//   };
// Declared after the bank and the display, the engine is destroyed first and
// stops the tick before they go. The start button calls ResetStep on the bank
// and then StartTicking; the beat popup, the mode switch and the tempo
// controls wrap their change in StopTicking / StartTicking while playing.
#pragma once

#include <atomic>

#include "engine/BeatSequencer.h"
#include "engine/TickInterfaces.h"

class CMetronomeEngine {
public:
    CMetronomeEngine(CBeatSequencer& sequencer, ITickDisplay& display, ITickClock& clock)
        : m_sequencer(sequencer), m_display(display), m_clock(clock) {}
    CMetronomeEngine(const CMetronomeEngine&) = delete;
    CMetronomeEngine& operator=(const CMetronomeEngine&) = delete;
    ~CMetronomeEngine();

    // Starts ticking at the tempo with the effective beat: the step goes back
    // to the start of its beat (user beat mode) or of the bar (click mode), and
    // the first tick begins a swing.
    void StartTicking(unsigned tempo);
    // Stops ticking; the counters stay where they are.
    void StopTicking();
    // A new chosen beat: beats per bar (2 to 24) and note value (4, 8, 16).
    // The caller also shows it in the beat change control.
    void SetBeat(unsigned beats, unsigned note);
    // Switches user beat mode; a running metronome keeps its period until the
    // caller restarts it.
    void SetUserBeatMode(bool on);
    // One tick, on the tick's thread: no allocation, no waiting.
    void OnTick();

    bool IsPlaying() const { return m_bPlaying; }
    bool IsUserBeatMode() const { return m_bUserBeatMode; }
    unsigned GetBeats() const { return m_nBeats; }
    unsigned GetNote() const { return m_nNote; }
    // The effective beat: the chosen one in click mode; in user beat mode
    // sixteenths with the pattern's steps per beat.
    unsigned GetTickBeats() const { return m_nTickBeats.load(); }
    unsigned GetTickNote() const { return m_nTickNote.load(); }
    unsigned GetTickInBeat() const { return m_nTickInBeat.load(); }

private:
    void SetEffectiveBeat();
    // Ticks from the start of one swing to the start of the next, at least 1.
    unsigned TicksPerSwing() const;

    CBeatSequencer& m_sequencer;
    ITickDisplay& m_display;
    ITickClock& m_clock;

    bool m_bPlaying = false;
    std::atomic<unsigned> m_nTickInBeat{0};
    bool m_bUserBeatMode = false;
    unsigned m_nBeats = 0;
    unsigned m_nNote = 0;
    std::atomic<unsigned> m_nTickNote{0};
    std::atomic<unsigned> m_nTickBeats{0};
};
