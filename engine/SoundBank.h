// The metronome's 25 sounds (accent, click, practice end and the 22
// instruments) and the sequencer that plays them on every tick.
#pragma once

#include <vector>

#include "engine/BeatSequencer.h"
#include "engine/SoundVoice.h"
#include "model/BeatPattern.h"

class CSoundBank : public CBeatSequencer {
public:
    // The sounds play in the stream, which must outlive the bank.
    explicit CSoundBank(COutputStream& stream);

    // Loads all 25 sounds into the output stream; a sound that fails stays
    // silent. Needs no device, so it takes no time without one.
    void LoadSounds();
    // The voice of a sound id (181, 180, 182 or 129 to 150); null for any
    // other.
    CSoundVoice* VoiceFor(int soundId);
    // The stream the sounds play in, whose clock runs the metronome.
    COutputStream& GetStream() { return m_stream; }

protected:
    void Retrigger(int soundId, std::int64_t sample) override;

private:
    COutputStream& m_stream;
    CSoundVoice m_voiceAccent;
    CSoundVoice m_voiceClick;
    CSoundVoice m_voiceEnd;
    std::vector<CSoundVoice> m_voiceInstrument;
};
