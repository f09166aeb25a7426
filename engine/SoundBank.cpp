#include "engine/SoundBank.h"

CSoundBank::CSoundBank(COutputStream& stream)
    : m_stream(stream), m_voiceAccent(stream), m_voiceClick(stream), m_voiceEnd(stream),
      m_voiceInstrument(kInstrumentCount, CSoundVoice(stream)) {}

void CSoundBank::LoadSounds() {
    m_voiceAccent.Load(kAccentSoundId);
    m_voiceClick.Load(kClickSoundId);
    m_voiceEnd.Load(kPracticeEndSoundId);
    for (int i = 0; i < kInstrumentCount; ++i)
        m_voiceInstrument[i].Load(static_cast<UINT>(kFirstInstrumentId + i));
}

CSoundVoice* CSoundBank::VoiceFor(int soundId) {
    if (soundId == kAccentSoundId)
        return &m_voiceAccent;
    if (soundId == kClickSoundId)
        return &m_voiceClick;
    if (soundId == kPracticeEndSoundId)
        return &m_voiceEnd;
    if (IsInstrumentId(soundId))
        return &m_voiceInstrument[soundId - kFirstInstrumentId];
    return nullptr;
}

void CSoundBank::Retrigger(int soundId, std::int64_t sample) {
    if (CSoundVoice* voice = VoiceFor(soundId))
        voice->Retrigger(sample);
}
