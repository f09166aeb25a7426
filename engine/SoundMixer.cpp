#include "engine/SoundMixer.h"

#include <algorithm>
#include <cmath>

CHitQueue::CHitQueue() {
    for (std::size_t i = 0; i < kCapacity; ++i)
        m_cells[i].nSequence.store(i, std::memory_order_relaxed);
}

bool CHitQueue::Push(const Hit& hit) {
    std::size_t at = m_nPushAt.load(std::memory_order_relaxed);
    for (;;) {
        Cell& cell = m_cells[at % kCapacity];
        const std::size_t sequence = cell.nSequence.load(std::memory_order_acquire);
        const auto lead = static_cast<std::ptrdiff_t>(sequence - at);
        if (lead == 0) {
            if (m_nPushAt.compare_exchange_weak(at, at + 1, std::memory_order_relaxed)) {
                cell.hit = hit;
                cell.nSequence.store(at + 1, std::memory_order_release);
                return true;
            }
        } else if (lead < 0) {
            return false; // full: the consumer has not freed this cell yet
        } else {
            at = m_nPushAt.load(std::memory_order_relaxed);
        }
    }
}

bool CHitQueue::Pop(Hit& hit) {
    Cell& cell = m_cells[m_nPopAt % kCapacity];
    if (cell.nSequence.load(std::memory_order_acquire) != m_nPopAt + 1)
        return false;
    hit = cell.hit;
    cell.nSequence.store(m_nPopAt + kCapacity, std::memory_order_release);
    ++m_nPopAt;
    return true;
}

float Saturate(float sample) {
    constexpr float kKnee = 0.9f;
    const float magnitude = std::fabs(sample);
    if (magnitude <= kKnee)
        return sample;
    const float bent = kKnee + (1.0f - kKnee) * std::tanh((magnitude - kKnee) / (1.0f - kKnee));
    return std::copysign(bent, sample);
}

void CSoundMixer::SetFormat(const StreamFormat& format) {
    const unsigned oldRate = m_format.nRate;
    m_format = format;
    // At most a millisecond, and at least one frame.
    m_nFadeFrames = std::max(1u, format.nRate / 1000);
    for (auto& sound : m_sounds)
        sound.clear();
    m_voices.fill(Voice{});
    m_bSounding = false;
    if (oldRate != 0 && oldRate != format.nRate) {
        for (std::size_t i = 0; i < m_nPending; ++i) {
            if (m_pending[i].nSample != kAsSoonAsPossible)
                m_pending[i].nSample = m_pending[i].nSample * format.nRate / oldRate;
        }
    }
}

void CSoundMixer::SetSound(int soundId, std::vector<float> frames) {
    if (soundId >= 0 && soundId < kSoundIds)
        m_sounds[static_cast<std::size_t>(soundId)] = std::move(frames);
}

bool CSoundMixer::Play(int soundId, std::int64_t sample) {
    if (m_queue.Push(Hit{soundId, sample}))
        return true;
    m_nDroppedHits.fetch_add(1, std::memory_order_relaxed);
    return false;
}

void CSoundMixer::TakeQueuedHits() {
    Hit hit;
    while (m_queue.Pop(hit)) {
        if (m_nPending == m_pending.size()) {
            m_nDroppedHits.fetch_add(1, std::memory_order_relaxed);
            continue;
        }
        // Hits of the same sample keep the order they came in.
        std::size_t at = m_nPending;
        while (at > 0 && m_pending[at - 1].nSample > hit.nSample) {
            m_pending[at] = m_pending[at - 1];
            --at;
        }
        m_pending[at] = hit;
        ++m_nPending;
    }
}

bool CSoundMixer::IsBusy() {
    TakeQueuedHits();
    return m_nPending != 0 || m_bSounding;
}

void CSoundMixer::Start(int soundId) {
    if (soundId < 0 || soundId >= kSoundIds)
        return;
    const std::vector<float>& sound = m_sounds[static_cast<std::size_t>(soundId)];
    const unsigned channels = std::max(1u, m_format.nChannels);
    if (sound.size() < channels)
        return;
    Voice& voice = m_voices[static_cast<std::size_t>(soundId)];
    if (voice.playing.pFrames) {
        voice.fading = voice.playing;
        voice.nFadeLeft = m_nFadeFrames;
    }
    voice.playing = Instance{sound.data(), sound.size() / channels, 0};
}

void CSoundMixer::MixVoices(float* out, std::size_t begin, std::size_t end) {
    const unsigned channels = m_format.nChannels;
    const float fadeStep = 1.0f / static_cast<float>(m_nFadeFrames + 1);
    for (Voice& voice : m_voices) {
        Instance& fading = voice.fading;
        if (fading.pFrames) {
            const std::size_t count =
                std::min({end - begin, std::size_t{voice.nFadeLeft}, fading.nFrames - fading.nAt});
            const float* from = fading.pFrames + fading.nAt * channels;
            float* to = out + begin * channels;
            for (std::size_t i = 0; i < count; ++i) {
                // Down in even steps from just below 1 to just above 0.
                const float gain = static_cast<float>(voice.nFadeLeft - i) * fadeStep;
                for (unsigned c = 0; c < channels; ++c)
                    *to++ += gain * *from++;
            }
            fading.nAt += count;
            voice.nFadeLeft -= static_cast<unsigned>(count);
            if (voice.nFadeLeft == 0 || fading.nAt == fading.nFrames)
                fading = Instance{};
        }
        Instance& playing = voice.playing;
        if (playing.pFrames) {
            const std::size_t count = std::min(end - begin, playing.nFrames - playing.nAt);
            const float* from = playing.pFrames + playing.nAt * channels;
            float* to = out + begin * channels;
            for (std::size_t i = 0; i < count * channels; ++i)
                to[i] += from[i];
            playing.nAt += count;
            if (playing.nAt == playing.nFrames)
                playing = Instance{};
        }
    }
}

void CSoundMixer::Render(float* out, std::size_t frames, std::int64_t from) {
    const unsigned channels = m_format.nChannels;
    std::fill(out, out + frames * channels, 0.0f);
    if (channels == 0)
        return;
    TakeQueuedHits();
    const std::int64_t end = from + static_cast<std::int64_t>(frames);
    std::size_t done = 0;
    std::size_t taken = 0;
    for (; taken < m_nPending && m_pending[taken].nSample < end; ++taken) {
        const Hit& hit = m_pending[taken];
        std::size_t at = 0;
        if (hit.nSample >= from)
            at = static_cast<std::size_t>(hit.nSample - from);
        else if (hit.nSample != kAsSoonAsPossible)
            m_nLateHits.fetch_add(1, std::memory_order_relaxed);
        MixVoices(out, done, at);
        done = at;
        Start(hit.nSoundId);
    }
    MixVoices(out, done, frames);
    std::copy(m_pending.begin() + static_cast<std::ptrdiff_t>(taken),
              m_pending.begin() + static_cast<std::ptrdiff_t>(m_nPending), m_pending.begin());
    m_nPending -= taken;
    m_bSounding = false;
    for (const Voice& voice : m_voices)
        m_bSounding = m_bSounding || voice.playing.pFrames || voice.fading.pFrames;
    for (std::size_t i = 0; i < frames * channels; ++i)
        out[i] = Saturate(out[i]);
}
