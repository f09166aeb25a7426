// What sounds on each tick: clicks with an accent on the first tick of every
// bar, or one step of the custom beat pattern per tick.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/TickInterfaces.h"

class CCustomBeat;

inline constexpr int kAccentSoundId = 181;
inline constexpr int kClickSoundId = 180;
// Played when the practice time is up.
inline constexpr int kPracticeEndSoundId = 182;

// The sequencing half of the sound bank. The tick thread calls PlayTick while
// the window thread may reset the step, so the shared state is atomic; the
// window thread changes the pattern only while no tick runs. Sounds start at
// a sample of the output stream: the tick's own, or as soon as possible.
class CBeatSequencer {
public:
    CBeatSequencer() = default;
    CBeatSequencer(const CBeatSequencer&) = delete;
    CBeatSequencer& operator=(const CBeatSequencer&) = delete;
    virtual ~CBeatSequencer() = default;

    // The pattern user beat mode plays, owned by the data store; null plays
    // nothing.
    void SetPattern(const CCustomBeat* pattern) { m_pPattern.store(pattern); }
    const CCustomBeat* GetPattern() const { return m_pPattern.load(); }
    // The pattern's steps per beat, at least 1 (4 without a pattern).
    unsigned GetPatternStepsPerBeat() const;

    // Plays what belongs to the current step at the tick's sample and
    // advances it.
    void PlayTick(std::int64_t sample = kAsSoonAsPossible);
    // Advances the step as PlayTick does, silently: a tick too late to sound.
    void SkipTick();
    // Starts every instrument among count sound ids from its beginning at the
    // sample, in order; 0 and any other id play nothing.
    void PlaySounds(const int* ids, int count, std::int64_t sample = kAsSoonAsPossible);
    // One of the metronome's own sounds at the sample: the accent, the click
    // or the practice end.
    void PlaySignal(int soundId, std::int64_t sample) { Retrigger(soundId, sample); }
    void ResetStep() { m_nStep.store(0); }
    // Rounds the step down to the start of its group of n steps.
    void AlignStep(unsigned n);
    void SetBeatsPerBar(unsigned beats) { m_nBeatsPerBar.store(beats); }
    void SetUserBeat(bool on) { m_bUserBeat.store(on); }

    unsigned GetStep() const { return m_nStep.load(); }
    unsigned GetBeatsPerBar() const { return m_nBeatsPerBar.load(); }
    bool IsUserBeat() const { return m_bUserBeat.load(); }

protected:
    // Cuts the sound off at the sample if it still plays and starts it from
    // its beginning there: a click id or an instrument id. Runs on the tick
    // thread: no allocation, no waiting.
    virtual void Retrigger(int soundId, std::int64_t sample) = 0;

private:
    // One tick: sounds at the sample unless silent, and the step advances.
    void Tick(bool silent, std::int64_t sample);
    void PlayClick(bool silent, std::int64_t sample);
    void PlayPatternStep(bool silent, std::int64_t sample);

    std::atomic<unsigned> m_nBeatsPerBar{4};
    // In click mode the tick's place in the bar, in user beat mode the next
    // pattern step.
    std::atomic<unsigned> m_nStep{0};
    std::atomic<bool> m_bUserBeat{false};
    std::atomic<const CCustomBeat*> m_pPattern{nullptr};
};
