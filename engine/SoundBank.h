// The metronome's 24 sounds (accent, click and the 22 instruments) and the
// sequencer that plays them on every tick.
#pragma once

#include "engine/BeatSequencer.h"
#include "engine/SoundVoice.h"
#include "model/BeatPattern.h"

class CSoundBank : public CBeatSequencer {
public:
    // Loads all 24 sounds in one loading pass; a sound that fails stays
    // silent. With globalFocus the sounds go on behind other programs.
    void LoadSounds(bool globalFocus);
    // The voice of a sound id (181, 180 or 129 to 150); null for any other.
    CSoundVoice* VoiceFor(int soundId);

protected:
    void Retrigger(int soundId) override;

private:
    CSoundVoice m_voiceAccent;
    CSoundVoice m_voiceClick;
    CSoundVoice m_voiceInstrument[kInstrumentCount];
};
