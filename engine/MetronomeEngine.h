// The main window's half of the metronome: the tempo, the chosen and the
// effective beat, start and stop, and what each tick does (play it at its
// sample, and begin a swing of the needle at the start of every swing, timed
// to when its click is heard).
//
// Threads: the ticks are clocked by the output stream. While the metronome
// plays, the engine is a run of the stream: the stream's render thread calls
// OnBlock before it mixes each block, and the engine plays there the ticks
// whose samples fall in the block. Everything else runs on the window thread.
// Every change of tempo, beat or mode goes through the engine, which ends the
// run first (the stream waits for a block in progress) and starts a new one
// afterwards, so that no tick ever sees half of a change.
//
// Hook-up in the main window:
//   CSoundBank m_soundBank;      // SetPattern(the data store's pattern)
//   CTickTockCtrl m_tickTock;    // implements ITickDisplay
//   CMetronomeEngine m_engine{m_soundBank, m_tickTock, m_soundBank.GetStream()};
// Declared after the bank and the display, the engine is destroyed first and
// ends its run before they go. The start button calls ResetStep on the bank
// and then StartTicking.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

#include "engine/BeatSequencer.h"
#include "engine/BlockTicks.h"
#include "engine/PracticePlan.h"
#include "engine/TickInterfaces.h"

// Told of every tick before it plays, on the render thread (tests watch the
// sequence through it).
class ITickObserver {
public:
    virtual void OnTick(std::uint64_t tick, std::int64_t sample) = 0;

protected:
    ~ITickObserver() = default;
};

// Told on the render thread, so it only hands on (posts): the practice status
// has changed (a bar or a second has begun, the trainer has moved the tempo),
// or the practice time is up and the run plays no more ticks.
class IPracticeListener {
public:
    virtual void OnPracticeChanged() = 0;
    virtual void OnPracticeEnded() = 0;

protected:
    ~IPracticeListener() = default;
};

class CMetronomeEngine : private IBlockListener {
public:
    CMetronomeEngine(CBeatSequencer& sequencer, ITickDisplay& display, ITickStream& stream)
        : m_sequencer(sequencer), m_display(display), m_stream(stream) {}
    CMetronomeEngine(const CMetronomeEngine&) = delete;
    CMetronomeEngine& operator=(const CMetronomeEngine&) = delete;
    ~CMetronomeEngine();

    // Starts ticking at the tempo with the effective beat: the step goes back
    // to the start of its beat (user beat mode) or of the bar (click mode),
    // and the first tick, one period after the stream's next block, begins a
    // swing. A playing metronome starts again. The practice tools start
    // afresh: the count-in, the trainer from this tempo, the time played.
    void StartTicking(unsigned tempo);
    // Stops ticking; the counters stay where they are.
    void StopTicking();
    // A new tempo; a playing metronome starts again at it.
    void SetTempo(unsigned tempo);
    // A new chosen beat: beats per bar (2 to 24) and note value (4, 8, 16).
    // The caller also shows it in the beat change control. A playing
    // metronome starts again with the bar.
    void SetBeat(unsigned beats, unsigned note);
    // Switches user beat mode; a playing metronome starts again in it.
    void SetUserBeatMode(bool on);
    // Only while stopped; null for none.
    void SetTickObserver(ITickObserver* observer) { m_pObserver = observer; }
    void SetPracticeListener(IPracticeListener* listener) { m_pPracticeListener = listener; }
    // The practice tools; a playing metronome starts again with them, and
    // the time played goes on.
    void SetPracticePlan(const PracticePlan& plan);
    // A tempo tapped in: playing, it starts at the next beat without a
    // restart, and the trainer goes on from it.
    void TapTempo(unsigned tempo);
    // The tempo the user last chose (Start, a tempo change, a tap), which the
    // trainer moves from: where a stop goes back to.
    unsigned GetChosenTempo() const { return m_nChosenTempo; }
    PracticeStatus GetPracticeStatus() const;

    bool IsPlaying() const { return m_bPlaying; }
    // Playing, the tempo sounding now.
    unsigned GetTempo() const { return m_bPlaying ? m_nSoundingTempo.load() : m_nTempo; }
    bool IsUserBeatMode() const { return m_bUserBeatMode; }
    unsigned GetBeats() const { return m_nBeats; }
    unsigned GetNote() const { return m_nNote; }
    // The effective beat: the chosen one in click mode; in user beat mode
    // sixteenths with the pattern's steps per beat.
    unsigned GetTickBeats() const { return m_nTickBeats.load(); }
    unsigned GetTickNote() const { return m_nTickNote.load(); }
    unsigned GetTickInBeat() const { return m_nTickInBeat.load(); }
    // Ticks that came too late to sound (the stream's clock jumped ahead),
    // since the engine was made.
    unsigned GetSkippedTicks() const { return m_nSkippedTicks.load(); }
    // Times the stream's clock jumped ahead during a run (the device lost
    // time, or the render thread was held up), since the engine was made:
    // the ticks after each stayed on their run's grid.
    unsigned GetDropouts() const { return m_nDropouts.load(); }

private:
    // On the render thread: no allocation, no waiting.
    void OnBlock(std::int64_t from, std::int64_t to, unsigned rate) override;
    void Tick(std::int64_t sample, std::int64_t blockStart, CBlockTicks::Timing timing);
    // Stops a playing metronome around the change and starts it again.
    template <class Change> void Restarting(Change&& change);
    void Start(unsigned tempo, bool fresh);
    // What the practice tools make of the tick: its sound, a swing of the
    // count-in, the period after it. True when it begins a swing.
    bool PlayPracticeTick(std::int64_t sample, bool skipped);
    void PublishPractice(bool ended);
    unsigned BarTicks() const;
    void SetEffectiveBeat();
    // Ticks from the start of one swing to the start of the next, at least 1.
    unsigned TicksPerSwing() const;

    CBeatSequencer& m_sequencer;
    ITickDisplay& m_display;
    ITickStream& m_stream;
    ITickObserver* m_pObserver = nullptr;
    IPracticeListener* m_pPracticeListener = nullptr;

    bool m_bPlaying = false;
    unsigned m_nTempo = 0;
    unsigned m_nChosenTempo = 0;
    PracticePlan m_plan;
    // On the render thread while a run goes.
    CPracticeRun m_practice;
    // A tapped tempo waiting for the next beat; 0 for none.
    std::atomic<unsigned> m_nTapTempo{0};
    // What the run has come to, for the window thread.
    std::atomic<unsigned> m_nSoundingTempo{0};
    std::atomic<unsigned> m_nPracticeBar{0};
    std::atomic<unsigned> m_nCountInLeft{0};
    std::atomic<bool> m_bMuted{false};
    std::atomic<unsigned> m_nPlayedSeconds{0};
    unsigned m_nPeriod = 0;
    // When the run was asked for: its first tick comes one period after.
    std::chrono::steady_clock::time_point m_started;
    CBlockTicks m_ticks;
    std::atomic<unsigned> m_nTickInBeat{0};
    std::atomic<unsigned> m_nSkippedTicks{0};
    // The end of the last block of the run, on the render thread.
    std::int64_t m_nBlockEnd = 0;
    std::atomic<unsigned> m_nDropouts{0};
    bool m_bUserBeatMode = false;
    unsigned m_nBeats = 0;
    unsigned m_nNote = 0;
    std::atomic<unsigned> m_nTickNote{0};
    std::atomic<unsigned> m_nTickBeats{0};
};
