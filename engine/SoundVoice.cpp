#include "engine/SoundVoice.h"

COutputStream* CSoundVoice::s_pStream = nullptr;
int CSoundVoice::s_nVoiceCount = 0;

CSoundVoice::CSoundVoice() {
    if (s_nVoiceCount++ == 0)
        s_pStream = new COutputStream();
}

CSoundVoice::~CSoundVoice() {
    if (--s_nVoiceCount == 0) {
        delete s_pStream;
        s_pStream = nullptr;
    }
}

bool CSoundVoice::Load(UINT resourceId) {
    const auto id = static_cast<int>(resourceId);
    if (!s_pStream->LoadSound(id))
        return false;
    m_nSoundId = id;
    return true;
}

void CSoundVoice::Retrigger(std::int64_t sample) {
    if (IsReady())
        s_pStream->Play(m_nSoundId, sample);
}
