#include "engine/SoundVoice.h"

std::unique_ptr<COutputStream> CSoundVoice::s_pStream;
int CSoundVoice::s_nVoiceCount = 0;

CSoundVoice::CSoundVoice() {
    if (s_nVoiceCount++ == 0)
        s_pStream = std::make_unique<COutputStream>();
}

CSoundVoice::~CSoundVoice() {
    if (--s_nVoiceCount == 0)
        s_pStream.reset();
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
