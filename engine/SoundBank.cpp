#include "engine/SoundBank.h"

void CSoundBank::LoadSounds(bool globalFocus) {
    CSoundVoice::CLoadingPass pass;
    m_voiceAccent.m_bGlobalFocus = globalFocus;
    m_voiceClick.m_bGlobalFocus = globalFocus;
    for (CSoundVoice& voice : m_voiceInstrument)
        voice.m_bGlobalFocus = globalFocus;
    m_voiceAccent.Load(kAccentSoundId);
    m_voiceClick.Load(kClickSoundId);
    for (int i = 0; i < kInstrumentCount; ++i)
        m_voiceInstrument[i].Load(static_cast<UINT>(kFirstInstrumentId + i));
}

CSoundVoice* CSoundBank::VoiceFor(int soundId) {
    if (soundId == kAccentSoundId)
        return &m_voiceAccent;
    if (soundId == kClickSoundId)
        return &m_voiceClick;
    if (IsInstrumentId(soundId))
        return &m_voiceInstrument[soundId - kFirstInstrumentId];
    return nullptr;
}

void CSoundBank::Retrigger(int soundId) {
    if (CSoundVoice* voice = VoiceFor(soundId))
        voice->Retrigger();
}
