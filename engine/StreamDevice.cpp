#include "engine/StreamDevice.h"

#include <windows.h>

#include <audioclient.h>
#include <dsound.h>
#include <mmdeviceapi.h>
#include <mmreg.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/LostTime.h"
#include "framework/Handle.h"

namespace {

// How far ahead of what is heard the stream is written. The WASAPI buffer is
// kept full: under Wine 20 ms asked gives 30 ms, and keeping less than that
// in it let the PulseAudio path drop out now and then (a 26 to 58 ms gap in
// 20 s at 15 to 25 ms), full it played hours without one. A DirectSound
// buffer is mixed by the system in 10 ms periods.
constexpr unsigned kWasapiBufferMs = 20;
constexpr unsigned kDirectSoundLeadMs = 40;
constexpr unsigned kDirectSoundBufferMs = 500;
constexpr unsigned kDirectSoundPollMs = 5;
// A device that wakes the stream no more for this long is taken for lost.
constexpr DWORD kSilentDeviceMs = 500;
// WASAPI gives durations and clock times in units of 100 ns.
constexpr REFERENCE_TIME kUnitsPerMs = 10000;
constexpr REFERENCE_TIME kUnitsPerSecond = 1000 * kUnitsPerMs;

long long Now() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

long long Frequency() {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

std::int16_t ToInt16(float sample) {
    return static_cast<std::int16_t>(std::lrintf(std::clamp(sample, -1.0f, 1.0f) * 32767.0f));
}

// The device's own sample types that the stream writes.
enum class SampleType { Float32, Int16, Int32 };

bool ReadSampleType(const WAVEFORMATEX& format, SampleType& type) {
    WORD tag = format.wFormatTag;
    if (tag == WAVE_FORMAT_EXTENSIBLE && format.cbSize >= 22) {
        const auto& extensible = reinterpret_cast<const WAVEFORMATEXTENSIBLE&>(format);
        tag = static_cast<WORD>(extensible.SubFormat.Data1);
    }
    if (tag == WAVE_FORMAT_IEEE_FLOAT && format.wBitsPerSample == 32)
        type = SampleType::Float32;
    else if (tag == WAVE_FORMAT_PCM && format.wBitsPerSample == 16)
        type = SampleType::Int16;
    else if (tag == WAVE_FORMAT_PCM && format.wBitsPerSample == 32)
        type = SampleType::Int32;
    else
        return false;
    return true;
}

void Convert(const float* from, std::size_t count, SampleType type, void* to) {
    switch (type) {
    case SampleType::Float32:
        std::memcpy(to, from, count * sizeof(float));
        break;
    case SampleType::Int16:
        for (std::size_t i = 0; i < count; ++i)
            static_cast<std::int16_t*>(to)[i] = ToInt16(from[i]);
        break;
    case SampleType::Int32:
        for (std::size_t i = 0; i < count; ++i)
            static_cast<std::int32_t*>(to)[i] =
                static_cast<std::int32_t>(std::clamp(from[i], -1.0f, 1.0f) * 2147483520.0f);
        break;
    }
}

struct CoTaskMemDeleter {
    void operator()(void* p) const { ::CoTaskMemFree(p); }
};

class CWasapiDevice : public IStreamDevice {
public:
    bool Open() {
        pw::ComPtr<IMMDeviceEnumerator> enumerator;
        pw::ComPtr<IMMDevice> device;
        if (FAILED(::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                      __uuidof(IMMDeviceEnumerator),
                                      reinterpret_cast<void**>(enumerator.Receive()))) ||
            FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, device.Receive())) ||
            FAILED(device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr,
                                    reinterpret_cast<void**>(m_pClient.Receive()))))
            return false;
        WAVEFORMATEX* mix = nullptr;
        if (FAILED(m_pClient->GetMixFormat(&mix)) || !mix)
            return false;
        const std::unique_ptr<WAVEFORMATEX, CoTaskMemDeleter> mixFormat(mix);
        if (!ReadSampleType(*mix, m_type))
            return false;
        m_format = {mix->nSamplesPerSec, mix->nChannels};
        m_hEvent.Reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
        const REFERENCE_TIME buffer = REFERENCE_TIME{kWasapiBufferMs} * kUnitsPerMs;
        REFERENCE_TIME latency = 0;
        UINT32 frames = 0;
        if (!m_hEvent ||
            FAILED(m_pClient->Initialize(AUDCLNT_SHAREMODE_SHARED,
                                         AUDCLNT_STREAMFLAGS_EVENTCALLBACK | AUDCLNT_STREAMFLAGS_NOPERSIST,
                                         buffer, 0, mix, nullptr)) ||
            FAILED(m_pClient->SetEventHandle(m_hEvent.Get())) || FAILED(m_pClient->GetBufferSize(&frames)) ||
            FAILED(m_pClient->GetService(__uuidof(IAudioRenderClient),
                                         reinterpret_cast<void**>(m_pRender.Receive()))) ||
            FAILED(m_pClient->Start()))
            return false;
        m_nBufferFrames = frames;
        // Without a clock only the device running dry is seen.
        if (FAILED(
                m_pClient->GetService(__uuidof(IAudioClock), reinterpret_cast<void**>(m_pClock.Receive()))) ||
            FAILED(m_pClock->GetFrequency(&m_nClockFrequency)) || m_nClockFrequency == 0)
            m_pClock.Reset();
        m_pClient->GetStreamLatency(&latency);
        m_nLatencyFrames = static_cast<unsigned>(latency * m_format.nRate / kUnitsPerSecond);
        m_nFrequency = Frequency();
        REFERENCE_TIME period = 0;
        m_pClient->GetDevicePeriod(&period, nullptr);
        m_nPeriodFrames = static_cast<unsigned>(period * m_format.nRate / kUnitsPerSecond);
        return true;
    }

    ~CWasapiDevice() override {
        if (m_pClient)
            m_pClient->Stop();
    }

    StreamFormat GetFormat() const override { return m_format; }
    const char* GetName() const override { return "WASAPI"; }
    unsigned GetMaxFrames() const override { return m_nBufferFrames; }

    long WaitForRoom() override {
        const DWORD waited = ::WaitForSingleObject(m_hEvent.Get(), kSilentDeviceMs);
        UINT32 padding = 0;
        if (waited != WAIT_OBJECT_0 || FAILED(m_pClient->GetCurrentPadding(&padding)))
            return -1;
        if (padding == 0 && m_nWrittenAt != 0) {
            // Ran dry: the device played silence for as long as the stream
            // was late beyond what it had queued. The device takes whole
            // periods, so less than one is only the clock's jitter.
            const double late = static_cast<double>(Now() - m_nWrittenAt) /
                                    static_cast<double>(m_nFrequency) * m_format.nRate -
                                m_nQueuedAtWrite;
            if (late > m_nPeriodFrames) {
                m_nSkipped += static_cast<unsigned>(late);
                // Counted once: the clock starts afresh after the gap.
                m_lost.Reset();
                m_nFirstAt = 0;
            }
        }
        WatchClock();
        m_nPadding = padding;
        return static_cast<long>(m_nBufferFrames - padding);
    }

    unsigned TakeSkippedFrames() override { return std::exchange(m_nSkipped, 0u); }

    bool Write(const float* frames, unsigned count) override {
        BYTE* data = nullptr;
        if (FAILED(m_pRender->GetBuffer(count, &data)))
            return false;
        Convert(frames, std::size_t{count} * m_format.nChannels, m_type, data);
        if (FAILED(m_pRender->ReleaseBuffer(count, 0)))
            return false;
        m_nPadding += count;
        m_nQueuedAtWrite = m_nPadding;
        m_nWrittenAt = Now();
        return true;
    }

    unsigned GetQueuedFrames() override { return m_nPadding + m_nLatencyFrames; }

private:
    // A position that stood still while the system clock ran on is time the
    // device lost with sound still queued (under Wine, PulseAudio's side of
    // the stream ran dry and plays it late): the stream moves on by it.
    void WatchClock() {
        UINT64 position = 0;
        UINT64 at = 0;
        if (!m_pClock || FAILED(m_pClock->GetPosition(&position, &at)))
            return;
        if (m_nFirstAt == 0) {
            m_nFirstPosition = position;
            m_nFirstAt = at;
        }
        const double rate = m_format.nRate;
        const double played =
            static_cast<double>(position - m_nFirstPosition) * rate / static_cast<double>(m_nClockFrequency);
        const double elapsed = static_cast<double>(at - m_nFirstAt) * rate / kUnitsPerSecond;
        m_nSkipped += m_lost.Update(played, elapsed, m_format.nRate);
    }

    pw::ComPtr<IAudioClient> m_pClient;
    pw::ComPtr<IAudioRenderClient> m_pRender;
    pw::ComPtr<IAudioClock> m_pClock;
    pw::UniqueKernelHandle m_hEvent;
    StreamFormat m_format;
    SampleType m_type = SampleType::Float32;
    unsigned m_nBufferFrames = 0;
    unsigned m_nPeriodFrames = 0;
    unsigned m_nLatencyFrames = 0;
    unsigned m_nPadding = 0;
    unsigned m_nQueuedAtWrite = 0;
    long long m_nWrittenAt = 0;
    long long m_nFrequency = 1;
    unsigned m_nSkipped = 0;
    UINT64 m_nClockFrequency = 0;
    UINT64 m_nFirstPosition = 0;
    UINT64 m_nFirstAt = 0;
    CLostTime m_lost;
};

// A looping 16-bit stereo buffer at the sounds' own rate, written a fixed lead
// ahead of the play cursor.
class CDirectSoundDevice : public IStreamDevice {
public:
    bool Open() {
        if (FAILED(::DirectSoundCreate(nullptr, m_pDevice.Receive(), nullptr)) || !m_pDevice)
            return false;
        // Priority lets the primary buffer run at the stream's format, which
        // older systems would otherwise mix at 22 kHz, 8 bits.
        m_pDevice->SetCooperativeLevel(::GetDesktopWindow(), DSSCL_PRIORITY);
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = static_cast<WORD>(m_format.nChannels);
        format.nSamplesPerSec = m_format.nRate;
        format.wBitsPerSample = 16;
        format.nBlockAlign = static_cast<WORD>(2 * m_format.nChannels);
        format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
        DSBUFFERDESC primary{};
        primary.dwSize = sizeof primary;
        primary.dwFlags = DSBCAPS_PRIMARYBUFFER;
        pw::ComPtr<IDirectSoundBuffer> primaryBuffer;
        if (SUCCEEDED(m_pDevice->CreateSoundBuffer(&primary, primaryBuffer.Receive(), nullptr)))
            primaryBuffer->SetFormat(&format);

        m_nBufferBytes = m_format.nRate * kDirectSoundBufferMs / 1000 * format.nBlockAlign;
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS;
        desc.dwBufferBytes = m_nBufferBytes;
        desc.lpwfxFormat = &format;
        if (FAILED(m_pDevice->CreateSoundBuffer(&desc, m_pBuffer.Receive(), nullptr)) || !Clear() ||
            FAILED(m_pBuffer->Play(0, 0, DSBPLAY_LOOPING)))
            return false;
        DWORD play = 0;
        if (FAILED(m_pBuffer->GetCurrentPosition(&play, &m_nWriteAt)))
            return false;
        m_nLastPlay = play;
        m_nPlayMovedAt = ::GetTickCount();
        return true;
    }

    ~CDirectSoundDevice() override {
        if (m_pBuffer)
            m_pBuffer->Stop();
    }

    StreamFormat GetFormat() const override { return m_format; }
    const char* GetName() const override { return "DirectSound"; }
    unsigned GetMaxFrames() const override { return m_nBufferBytes / FrameBytes(); }

    long WaitForRoom() override {
        ::Sleep(kDirectSoundPollMs);
        DWORD status = 0;
        if (FAILED(m_pBuffer->GetStatus(&status)))
            return -1;
        if ((status & DSBSTATUS_BUFFERLOST) &&
            (FAILED(m_pBuffer->Restore()) || !Clear() || FAILED(m_pBuffer->Play(0, 0, DSBPLAY_LOOPING))))
            return -1;
        DWORD play = 0;
        DWORD write = 0;
        if (FAILED(m_pBuffer->GetCurrentPosition(&play, &write)))
            return -1;
        // A play cursor that stands still is a device that has gone away.
        const DWORD now = ::GetTickCount();
        if (play != m_nLastPlay)
            m_nPlayMovedAt = now;
        else if (now - m_nPlayMovedAt > kSilentDeviceMs)
            return -1;
        m_nLastPlay = play;
        m_nPlay = play;
        const DWORD safe = Distance(play, write);
        if (Distance(play, m_nWriteAt) < safe) {
            // Fell behind the write cursor: what lay between was played as
            // it stood, and the stream goes on from the write cursor.
            m_nSkipped += Distance(m_nWriteAt, write) / FrameBytes();
            m_nWriteAt = write;
        }
        const DWORD ahead = Distance(play, m_nWriteAt);
        return ahead < LeadBytes() ? static_cast<long>((LeadBytes() - ahead) / FrameBytes()) : 0;
    }

    unsigned TakeSkippedFrames() override { return std::exchange(m_nSkipped, 0u); }

    bool Write(const float* frames, unsigned count) override {
        void* first = nullptr;
        void* second = nullptr;
        DWORD firstBytes = 0;
        DWORD secondBytes = 0;
        const DWORD bytes = count * FrameBytes();
        if (FAILED(m_pBuffer->Lock(m_nWriteAt, bytes, &first, &firstBytes, &second, &secondBytes, 0)))
            return false;
        const std::size_t firstSamples = firstBytes / 2;
        Convert(frames, firstSamples, SampleType::Int16, first);
        if (second)
            Convert(frames + firstSamples, secondBytes / 2, SampleType::Int16, second);
        m_pBuffer->Unlock(first, firstBytes, second, secondBytes);
        m_nWriteAt = (m_nWriteAt + bytes) % m_nBufferBytes;
        // Silence past the end: should the stream fall behind, the looping
        // buffer then plays nothing rather than its old clicks once more.
        if (SUCCEEDED(
                m_pBuffer->Lock(m_nWriteAt, LeadBytes(), &first, &firstBytes, &second, &secondBytes, 0))) {
            std::memset(first, 0, firstBytes);
            if (second)
                std::memset(second, 0, secondBytes);
            m_pBuffer->Unlock(first, firstBytes, second, secondBytes);
        }
        return true;
    }

    unsigned GetQueuedFrames() override { return Distance(m_nPlay, m_nWriteAt) / FrameBytes(); }

private:
    DWORD FrameBytes() const { return 2 * m_format.nChannels; }
    DWORD LeadBytes() const { return m_format.nRate * kDirectSoundLeadMs / 1000 * FrameBytes(); }
    DWORD Distance(DWORD from, DWORD to) const { return (to + m_nBufferBytes - from) % m_nBufferBytes; }

    bool Clear() {
        void* data = nullptr;
        DWORD bytes = 0;
        if (FAILED(m_pBuffer->Lock(0, 0, &data, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER)))
            return false;
        std::memset(data, 0, bytes);
        return SUCCEEDED(m_pBuffer->Unlock(data, bytes, nullptr, 0));
    }

    pw::ComPtr<IDirectSound> m_pDevice;
    pw::ComPtr<IDirectSoundBuffer> m_pBuffer;
    const StreamFormat m_format{44100, 2};
    DWORD m_nBufferBytes = 0;
    DWORD m_nWriteAt = 0;
    DWORD m_nPlay = 0;
    DWORD m_nLastPlay = 0;
    DWORD m_nPlayMovedAt = 0;
    unsigned m_nSkipped = 0;
};

template <class Device> std::unique_ptr<IStreamDevice> OpenDevice() {
    auto device = std::make_unique<Device>();
    if (!device->Open())
        return nullptr;
    return device;
}

} // namespace

std::unique_ptr<IStreamDevice> OpenWasapiDevice() {
    return OpenDevice<CWasapiDevice>();
}

std::unique_ptr<IStreamDevice> OpenDirectSoundDevice() {
    return OpenDevice<CDirectSoundDevice>();
}
