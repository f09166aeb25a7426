#include "engine/SoundVoice.h"

bool CSoundVoice::Load(UINT resourceId) {
    const auto id = static_cast<int>(resourceId);
    if (!m_stream.LoadSound(id))
        return false;
    m_nSoundId = id;
    return true;
}

void CSoundVoice::Retrigger(std::int64_t sample) {
    if (IsReady())
        m_stream.Play(m_nSoundId, sample);
}
