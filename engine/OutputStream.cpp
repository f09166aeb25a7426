#include "engine/OutputStream.h"

#include <mmsystem.h>
#include <objbase.h>

#include <algorithm>

#include "engine/StreamDevice.h"
#include "engine/WaveImage.h"

namespace {

// The silent clock renders a block every so often, and at most this much at
// once: a longer gap (the thread held up) is skipped, not caught up.
constexpr DWORD kSilentBlockMs = 10;
constexpr unsigned kSilentMaxMs = 100;
constexpr unsigned kOpeningSilenceMs = 10;
constexpr StreamFormat kSilentFormat{44100, 2};

long long Now() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

} // namespace

COutputStream::COutputStream(Device device) : m_device(device) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    m_nFrequency = frequency.QuadPart;
    m_mixer.SetFormat(kSilentFormat);
    m_scratch.resize(std::size_t{kSilentFormat.nRate} * kSilentMaxMs / 1000 * kSilentFormat.nChannels);
    m_hWake.Reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    m_hThread.Reset(::CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
}

COutputStream::~COutputStream() {
    m_bQuit.store(true);
    if (m_hThread) {
        ::SetEvent(m_hWake.Get());
        ::WaitForSingleObject(m_hThread.Get(), INFINITE);
    }
}

bool COutputStream::LoadSound(int soundId) {
    const HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC info = ::FindResourceA(module, MAKEINTRESOURCEA(soundId), "WAVE");
    HGLOBAL resource = info ? ::LoadResource(module, info) : nullptr;
    const void* image = resource ? ::LockResource(resource) : nullptr;
    WaveImage wave;
    if (!image || soundId <= 0 || soundId >= CSoundMixer::kSoundIds ||
        !ParseWave(image, ::SizeofResource(module, info), wave) || !CanConvert(wave))
        return false;
    std::lock_guard lock(m_soundsLock);
    std::erase_if(m_sounds, [soundId](const auto& sound) { return sound.first == soundId; });
    m_sounds.emplace_back(soundId, wave);
    m_bSoundsChanged = true;
    return true;
}

bool COutputStream::Play(int soundId, std::int64_t sample) {
    m_nHits.fetch_add(1, std::memory_order_relaxed);
    const bool queued = m_mixer.Play(soundId, sample);
    Wake();
    return queued;
}

void COutputStream::StartRun(IBlockListener* listener) {
    if (!listener)
        return;
    for (auto& run : m_runs) {
        if (run.load() == listener)
            return;
    }
    for (auto& run : m_runs) {
        IBlockListener* empty = nullptr;
        if (run.compare_exchange_strong(empty, listener))
            break;
    }
    ::SetEvent(m_hWake.Get());
}

void COutputStream::StopRun(IBlockListener* listener) {
    bool found = false;
    for (auto& run : m_runs) {
        IBlockListener* running = listener;
        found = run.compare_exchange_strong(running, nullptr) || found;
    }
    // The render thread marks itself before it reads the runs, so once the
    // mark is seen clear here, no call can still be using this one.
    for (unsigned spin = 0; found && m_bInListener.load(); ++spin)
        ::Sleep(spin < 100 ? 0 : 1);
}

bool COutputStream::HasRuns() const {
    for (const auto& run : m_runs) {
        if (run.load())
            return true;
    }
    return false;
}

std::chrono::steady_clock::time_point COutputStream::HeardTimeOf(std::int64_t sample) const {
    const auto now = std::chrono::steady_clock::now();
    const std::chrono::duration<double> ahead(static_cast<double>(sample - GetHeardPosition()) / GetRate());
    return now + std::chrono::duration_cast<std::chrono::steady_clock::duration>(ahead);
}

void COutputStream::Wake() {
    // Pairs with the fence in Run between closing and the last look at the
    // queue: either the render thread sees the hit or this sees it closed.
    std::atomic_thread_fence(std::memory_order_seq_cst);
    if (m_state.load() == State::Closed)
        ::SetEvent(m_hWake.Get());
}

DWORD WINAPI COutputStream::ThreadMain(void* self) {
    auto* stream = static_cast<COutputStream*>(self);
    // Time-critical: on a busy machine a normal priority render thread lets
    // the device run dry now and then.
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    const bool com = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    // The quit is looked at before every wait: the silent clock's waits in
    // Run may have taken the wake that came with it.
    while (!stream->m_bQuit.load() &&
           ::WaitForSingleObject(stream->m_hWake.Get(), INFINITE) == WAIT_OBJECT_0 && !stream->m_bQuit.load())
        stream->Run();
    if (com)
        ::CoUninitialize();
    return 0;
}

void COutputStream::Run() {
    // A wake whose hits an earlier run already played.
    if (!HasRuns() && !m_mixer.IsBusy())
        return;
    ::timeBeginPeriod(1);
    long long lastAttempt = Now();
    const auto msSince = [this](long long then) {
        return (Now() - then) * 1000 / m_nFrequency;
    };
    OpenDevice();
    long long idleSince = 0;
    while (!m_bQuit.load()) {
        long long frames = 0;
        if (m_pDevice) {
            const long room = m_pDevice->WaitForRoom();
            if (room < 0) {
                LoseDevice();
                lastAttempt = Now();
                continue;
            }
            if (const unsigned skipped = m_pDevice->TakeSkippedFrames()) {
                m_nPosition.fetch_add(skipped);
                m_nUnderruns.fetch_add(1);
            }
            frames = room;
        } else {
            ::WaitForSingleObject(m_hWake.Get(), kSilentBlockMs);
            if (m_device != Device::None && msSince(lastAttempt) >= kReopenEveryMs) {
                lastAttempt = Now();
                if (OpenDevice())
                    continue;
            }
            frames = SilentTarget() - m_nPosition.load();
            const auto most = static_cast<long long>(m_scratch.size() / m_mixer.GetFormat().nChannels);
            if (frames > most) {
                m_nPosition.fetch_add(frames - most);
                frames = most;
            }
        }
        if (frames > 0)
            RenderBlock(static_cast<unsigned>(frames));
        PublishTiming(m_pDevice ? m_pDevice->GetQueuedFrames() : 0);

        if (HasRuns() || m_mixer.IsBusy()) {
            idleSince = 0;
        } else if (idleSince == 0) {
            idleSince = Now();
        } else if (msSince(idleSince) >= kCloseAfterMs) {
            const State state = m_state.exchange(State::Closed);
            std::atomic_thread_fence(std::memory_order_seq_cst);
            if (!HasRuns() && !m_mixer.IsBusy())
                break;
            m_state.store(state);
            idleSince = 0;
        }
    }
    m_pDevice.reset();
    m_state.store(State::Closed);
    ::timeEndPeriod(1);
}

bool COutputStream::OpenDevice() {
    std::unique_ptr<IStreamDevice> device;
    if (m_device == Device::Automatic)
        device = OpenWasapiDevice();
    if (!device && m_device != Device::None)
        device = OpenDirectSoundDevice();
    // A new stream loses the first few milliseconds written to it under Wine:
    // they are silence, so that a sound asked for now keeps its beginning.
    unsigned lead = 0;
    if (device) {
        const StreamFormat format = device->GetFormat();
        lead = std::min(format.nRate * kOpeningSilenceMs / 1000, device->GetMaxFrames());
        const std::vector<float> silence(std::size_t{lead} * format.nChannels, 0.0f);
        if (!device->Write(silence.data(), lead))
            device.reset();
    }
    if (!device) {
        if (m_state.load() != State::Silent) {
            m_nSilentBase = m_nPosition.load();
            m_nSilentSince = Now();
            m_state.store(State::Silent);
            PublishTiming(0);
        }
        return false;
    }
    m_pDevice = std::move(device);
    m_pDeviceName.store(m_pDevice->GetName());
    ApplyFormat(m_pDevice->GetFormat());
    const std::size_t frames =
        std::max<std::size_t>(m_pDevice->GetMaxFrames(), m_nRate.load() * kSilentMaxMs / 1000);
    m_scratch.resize(frames * m_pDevice->GetFormat().nChannels);
    m_nPosition.fetch_add(lead);
    m_state.store(State::Playing);
    // The first block's ticks ask when they will be heard.
    PublishTiming(m_pDevice->GetQueuedFrames());
    return true;
}

void COutputStream::LoseDevice() {
    m_pDevice.reset();
    m_nLosses.fetch_add(1);
    m_nSilentBase = m_nPosition.load();
    m_nSilentSince = Now();
    m_state.store(State::Silent);
    PublishTiming(0);
}

void COutputStream::ApplyFormat(const StreamFormat& format) {
    std::lock_guard lock(m_soundsLock);
    if (format == m_mixer.GetFormat() && !m_bSoundsChanged)
        return;
    const unsigned oldRate = m_mixer.GetFormat().nRate;
    if (oldRate != format.nRate) {
        // Positions keep their time at the new rate.
        m_nPosition.store(m_nPosition.load() * format.nRate / oldRate);
        m_nSilentBase = m_nSilentBase * format.nRate / oldRate;
        m_nRate.store(format.nRate);
    }
    m_mixer.SetFormat(format);
    for (const auto& [id, wave] : m_sounds)
        m_mixer.SetSound(id, ConvertSound(wave, format));
    m_bSoundsChanged = false;
}

long long COutputStream::SilentTarget() const {
    return m_nSilentBase + (Now() - m_nSilentSince) * m_nRate.load() / m_nFrequency;
}

void COutputStream::RenderBlock(unsigned frames) {
    const StreamFormat format = m_mixer.GetFormat();
    frames = std::min<unsigned>(frames, static_cast<unsigned>(m_scratch.size() / format.nChannels));
    const std::int64_t from = m_nPosition.load();
    const std::int64_t to = from + frames;
    m_bInListener.store(true);
    for (auto& run : m_runs) {
        if (IBlockListener* listener = run.load())
            listener->OnBlock(from, to, format.nRate);
    }
    m_bInListener.store(false);
    m_mixer.Render(m_scratch.data(), frames, from);
    if (m_pDevice && !m_pDevice->Write(m_scratch.data(), frames))
        LoseDevice();
    m_nPosition.store(to);
}

void COutputStream::PublishTiming(unsigned queued) {
    m_nTimingSequence.fetch_add(1);
    m_nTimedPosition.store(m_nPosition.load());
    m_nTimedQueued.store(queued);
    m_nTimedAt.store(Now());
    m_nTimingSequence.fetch_add(1);
}

std::int64_t COutputStream::GetHeardPosition() const {
    std::int64_t position;
    unsigned queued;
    long long at;
    unsigned sequence;
    do {
        sequence = m_nTimingSequence.load();
        position = m_nTimedPosition.load();
        queued = m_nTimedQueued.load();
        at = m_nTimedAt.load();
    } while ((sequence & 1) != 0 || sequence != m_nTimingSequence.load());
    if (m_state.load() == State::Closed)
        return m_nPosition.load();
    const std::int64_t heard = position - queued + (Now() - at) * m_nRate.load() / m_nFrequency;
    // The ear never passes what was written; the silent clock has no ear.
    return queued != 0 ? std::min(heard, position) : heard;
}

double COutputStream::GetLatencyMs() const {
    if (m_state.load() != State::Playing)
        return 0.0;
    return m_nTimedQueued.load() * 1000.0 / m_nRate.load();
}

double COutputStream::GetRenderCpuSeconds() const {
    FILETIME created, exited, kernel, user;
    if (!::GetThreadTimes(m_hThread.Get(), &created, &exited, &kernel, &user))
        return 0.0;
    const auto value = [](const FILETIME& t) {
        return static_cast<double>(static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime);
    };
    return (value(kernel) + value(user)) * 1e-7;
}
