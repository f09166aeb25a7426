#include "engine/InputStream.h"

#include <audioclient.h>
#include <mmdeviceapi.h>
#include <mmreg.h>
#include <objbase.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>
#include <vector>

#include "engine/OnsetFinder.h"

namespace {

constexpr REFERENCE_TIME kBufferTime = 200000; // 20 ms
// A device that brings nothing for this long is taken for lost.
constexpr DWORD kSilentDeviceMs = 1000;
// When the device took each packet is known only to a packet's delay: the
// earliest of the last so many (about 2 s) places all frames.
constexpr std::size_t kTimingPackets = 200;

struct CoTaskMemDeleter {
    void operator()(void* p) const { ::CoTaskMemFree(p); }
};

enum class InputType { Float32, Int16, Int32 };

bool ReadInputType(const WAVEFORMATEX& format, InputType& type) {
    WORD tag = format.wFormatTag;
    if (tag == WAVE_FORMAT_EXTENSIBLE && format.cbSize >= 22)
        tag = static_cast<WORD>(reinterpret_cast<const WAVEFORMATEXTENSIBLE&>(format).SubFormat.Data1);
    const bool pcm = tag == WAVE_FORMAT_PCM;
    if (tag == WAVE_FORMAT_IEEE_FLOAT && format.wBitsPerSample == 32)
        type = InputType::Float32;
    else if (pcm && (format.wBitsPerSample == 16 || format.wBitsPerSample == 32))
        type = format.wBitsPerSample == 16 ? InputType::Int16 : InputType::Int32;
    else
        return false;
    return true;
}

// The channels' mean of each frame, as floats.
void MixDown(const BYTE* data, UINT32 frames, unsigned channels, InputType type, float* mono) {
    for (UINT32 frame = 0; frame < frames; ++frame) {
        float sum = 0.0f;
        for (unsigned channel = 0; channel < channels; ++channel) {
            const std::size_t i = std::size_t{frame} * channels + channel;
            switch (type) {
            case InputType::Float32:
                sum += reinterpret_cast<const float*>(data)[i];
                break;
            case InputType::Int16:
                sum += reinterpret_cast<const std::int16_t*>(data)[i] / 32768.0f;
                break;
            case InputType::Int32:
                sum += static_cast<float>(reinterpret_cast<const std::int32_t*>(data)[i] / 2147483648.0);
                break;
            }
        }
        mono[frame] = sum / static_cast<float>(channels);
    }
}

std::int64_t SteadyUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

long long QpcNow() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

pw::ComPtr<IMMDevice> DefaultInput() {
    pw::ComPtr<IMMDeviceEnumerator> enumerator;
    pw::ComPtr<IMMDevice> device;
    if (FAILED(::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                  __uuidof(IMMDeviceEnumerator),
                                  reinterpret_cast<void**>(enumerator.Receive()))) ||
        FAILED(enumerator->GetDefaultAudioEndpoint(eCapture, eConsole, device.Receive())))
        return {};
    return device;
}

// Where each frame was taken: the earliest of the recent packets' own times,
// less the frames before them, so that a packet handed over late does not
// move the frames.
class CFrameClock {
public:
    explicit CFrameClock(unsigned rate) : m_nRate(rate) {}
    void Observe(std::int64_t firstFrame, std::int64_t firstTakenUs) {
        m_origins[m_nNext++ % m_origins.size()] = firstTakenUs - firstFrame * 1'000'000 / m_nRate;
    }
    // Frames were lost before the next packet: the times begin anew.
    void Restart() { m_nNext = 0; }
    std::int64_t TimeOf(std::int64_t frame) const {
        const std::size_t count = std::min<std::size_t>(m_nNext, m_origins.size());
        const std::int64_t origin = *std::min_element(m_origins.begin(), m_origins.begin() + count);
        return origin + frame * 1'000'000 / m_nRate;
    }

private:
    const unsigned m_nRate;
    std::array<std::int64_t, kTimingPackets> m_origins{};
    std::size_t m_nNext = 0;
};

} // namespace

std::string CInputStream::CheckInputDevice() {
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool found = static_cast<bool>(DefaultInput());
    if (SUCCEEDED(com))
        ::CoUninitialize();
    return found ? std::string() : std::string("No input device");
}

CInputStream::CInputStream(IInputListener& listener) : m_listener(listener) {
    m_hQuit.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    m_hThread.Reset(::CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
    if (!m_hThread)
        m_listener.OnInputEnded();
}

CInputStream::~CInputStream() {
    ::SetEvent(m_hQuit.Get());
    if (m_hThread)
        ::WaitForSingleObject(m_hThread.Get(), INFINITE);
}

DWORD WINAPI CInputStream::ThreadMain(void* self) {
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    const bool com = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    static_cast<CInputStream*>(self)->Listen();
    if (com)
        ::CoUninitialize();
    return 0;
}

void CInputStream::Listen() {
    pw::ComPtr<IMMDevice> device = DefaultInput();
    pw::ComPtr<IAudioClient> client;
    pw::ComPtr<IAudioCaptureClient> capture;
    WAVEFORMATEX* mix = nullptr;
    if (!device ||
        FAILED(device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr,
                                reinterpret_cast<void**>(client.Receive()))) ||
        FAILED(client->GetMixFormat(&mix)) || !mix) {
        m_listener.OnInputEnded();
        return;
    }
    const std::unique_ptr<WAVEFORMATEX, CoTaskMemDeleter> format(mix);
    InputType type = InputType::Float32;
    pw::UniqueKernelHandle ready(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    UINT32 bufferFrames = 0;
    if (!ReadInputType(*mix, type) || !ready ||
        FAILED(client->Initialize(AUDCLNT_SHAREMODE_SHARED,
                                  AUDCLNT_STREAMFLAGS_EVENTCALLBACK | AUDCLNT_STREAMFLAGS_NOPERSIST,
                                  kBufferTime, 0, mix, nullptr)) ||
        FAILED(client->SetEventHandle(ready.Get())) || FAILED(client->GetBufferSize(&bufferFrames)) ||
        FAILED(
            client->GetService(__uuidof(IAudioCaptureClient), reinterpret_cast<void**>(capture.Receive()))) ||
        FAILED(client->Start())) {
        m_listener.OnInputEnded();
        return;
    }
    const unsigned rate = mix->nSamplesPerSec;
    const unsigned channels = std::max<unsigned>(mix->nChannels, 1);
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    COnsetFinder finder(rate);
    CFrameClock clock(rate);
    std::vector<float> mono(bufferFrames);
    std::int64_t frames = 0;
    const HANDLE waits[] = {m_hQuit.Get(), ready.Get()};
    bool lost = false;
    while (!lost) {
        const DWORD woke = ::WaitForMultipleObjects(2, waits, FALSE, kSilentDeviceMs);
        if (woke == WAIT_OBJECT_0)
            break;
        lost = woke != WAIT_OBJECT_0 + 1;
        UINT32 next = 0;
        while (!lost && SUCCEEDED(capture->GetNextPacketSize(&next)) && next > 0) {
            BYTE* data = nullptr;
            UINT32 count = 0;
            DWORD flags = 0;
            UINT64 qpcTaken = 0;
            if (FAILED(capture->GetBuffer(&data, &count, &flags, nullptr, &qpcTaken))) {
                lost = true;
                break;
            }
            // The packet's time in 100 ns units of the performance counter,
            // taken over to the steady clock.
            const long long qpcNow = QpcNow();
            const std::int64_t steadyNow = SteadyUs();
            const std::int64_t nowUnits = static_cast<std::int64_t>(qpcNow * 10'000'000 / frequency.QuadPart);
            const std::int64_t takenUs =
                qpcTaken != 0 ? steadyNow - (nowUnits - static_cast<std::int64_t>(qpcTaken)) / 10
                              : steadyNow - std::int64_t{count} * 1'000'000 / rate;
            if (flags & AUDCLNT_BUFFERFLAGS_DATA_DISCONTINUITY)
                clock.Restart();
            clock.Observe(frames, takenUs);
            if (mono.size() < count)
                mono.resize(count);
            if (flags & AUDCLNT_BUFFERFLAGS_SILENT)
                std::fill_n(mono.begin(), count, 0.0f);
            else
                MixDown(data, count, channels, type, mono.data());
            capture->ReleaseBuffer(count);
            finder.Feed(mono.data(), count, frames, [&](const Onset& onset) {
                m_listener.OnInputOnset(clock.TimeOf(onset.nFrame), onset.fPeak);
            });
            frames += count;
        }
    }
    client->Stop();
    if (lost)
        m_listener.OnInputEnded();
}
