// The program's one output stream: every sound is mixed by the program (see
// CSoundMixer) and placed at its sample, and a render thread feeds the sound
// device. The device is open only while something plays: the stream opens at
// the first sound or run and closes itself kCloseAfterMs after the last sound
// ends, so an idle program costs nothing. Without a device, or after losing
// it, the stream goes on silently on the system clock (the same positions,
// the same listener calls) and tries to reopen every kReopenEveryMs.
//
// Threads: Play may be called on any thread (lock-free, no allocation).
// LoadSound, StartRun, StopRun and the destructor belong to one owner thread
// (the window thread). The render thread calls the run's listener.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/SoundMixer.h"
#include "engine/TickInterfaces.h"
#include "framework/Handle.h"

class IStreamDevice;

class COutputStream final : public ITickStream {
public:
    enum class Device {
        // WASAPI where the system has it, else DirectSound.
        Automatic,
        DirectSound,
        // Never opens a device: the silent clock only.
        None,
    };
    enum class State {
        Closed,
        // Open on a device.
        Playing,
        // Running on the system clock without a device.
        Silent,
    };
    static constexpr unsigned kCloseAfterMs = 3000;
    static constexpr unsigned kReopenEveryMs = 500;
    // Runs at the same time (the metronome and the editor's preview).
    static constexpr std::size_t kMaxRuns = 4;

    explicit COutputStream(Device device = Device::Automatic);
    COutputStream(const COutputStream&) = delete;
    COutputStream& operator=(const COutputStream&) = delete;
    ~COutputStream();

    // Takes the WAVE resource of this id (181, 180, 129 to 150) as the sound
    // of that id; it is converted to the device's format when the stream
    // opens. False for a missing or unreadable resource, which stays silent.
    bool LoadSound(int soundId);

    // Starts a sound at a sample of the stream (see GetRenderPosition), or as
    // soon as possible. A sample already rendered sounds at once and counts
    // as late. Any thread; wakes a closed stream.
    bool Play(int soundId, std::int64_t sample = kAsSoonAsPossible);

    // Keeps the stream open through the silences of a run and calls the
    // listener before every block until StopRun. At most kMaxRuns at once;
    // a run already going is not started twice.
    void StartRun(IBlockListener* listener) override;
    // Once it returns the listener is not running and will not be called.
    // Not from a listener.
    void StopRun(IBlockListener* listener) override;
    // On the render thread, for a sample not heard yet; elsewhere an
    // estimate.
    std::chrono::steady_clock::time_point HeardTimeOf(std::int64_t sample) const override;
    std::chrono::steady_clock::time_point TimeNow() const override {
        return std::chrono::steady_clock::now();
    }

    // The first sample of the next block to render: hits from here on sound
    // at their sample.
    std::int64_t GetRenderPosition() const { return m_nPosition.load(); }
    // The sample that reaches the ear now (equal to the render position while
    // the stream is closed).
    std::int64_t GetHeardPosition() const;
    // How far the render position runs ahead of the ear.
    double GetLatencyMs() const;
    // Samples per second of the stream's positions.
    unsigned GetRate() const { return m_nRate.load(); }

    State GetState() const { return m_state.load(); }
    // "WASAPI", "DirectSound" or "none": the device last opened.
    const char* GetDeviceName() const { return m_pDeviceName.load(); }
    // Times a device went away while the stream played.
    unsigned GetLossCount() const { return m_nLosses.load(); }
    // Times the device lost time: it ran dry because the render thread was
    // late, or its position stood still while the system clock ran on.
    unsigned GetUnderruns() const { return m_nUnderruns.load(); }
    // Hits asked for by Play since the stream was made.
    unsigned GetHits() const { return m_nHits.load(std::memory_order_relaxed); }
    unsigned GetLateHits() const { return m_mixer.GetLateHits(); }
    unsigned GetDroppedHits() const { return m_mixer.GetDroppedHits(); }
    // Processor time the render thread has used, in seconds.
    double GetRenderCpuSeconds() const;

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Run();
    bool OpenDevice();
    void LoseDevice();
    void ApplyFormat(const StreamFormat& format);
    void RenderBlock(unsigned frames);
    void PublishTiming(unsigned queued);
    void Wake();
    bool HasRuns() const;
    long long SilentTarget() const;

    const Device m_device;
    CSoundMixer m_mixer;
    std::unique_ptr<IStreamDevice> m_pDevice;
    std::vector<float> m_scratch;

    // The sounds to convert at the next open, guarded against LoadSound.
    std::mutex m_soundsLock;
    std::vector<std::pair<int, WaveImage>> m_sounds;
    bool m_bSoundsChanged = false;

    std::array<std::atomic<IBlockListener*>, kMaxRuns> m_runs{};
    std::atomic<bool> m_bInListener{false};
    std::atomic<bool> m_bQuit{false};
    std::atomic<State> m_state{State::Closed};
    std::atomic<const char*> m_pDeviceName{"none"};

    std::atomic<std::int64_t> m_nPosition{0};
    std::atomic<unsigned> m_nRate{44100};
    // The render position, the frames queued ahead of the ear and the
    // performance counter when they were taken, under a sequence count.
    std::atomic<unsigned> m_nTimingSequence{0};
    std::atomic<std::int64_t> m_nTimedPosition{0};
    std::atomic<unsigned> m_nTimedQueued{0};
    std::atomic<long long> m_nTimedAt{0};
    long long m_nFrequency = 1;
    // The silent clock: position = base + elapsed time x rate.
    std::int64_t m_nSilentBase = 0;
    long long m_nSilentSince = 0;

    std::atomic<unsigned> m_nLosses{0};
    std::atomic<unsigned> m_nUnderruns{0};
    std::atomic<unsigned> m_nHits{0};

    pw::UniqueKernelHandle m_hWake;
    pw::UniqueKernelHandle m_hThread;
};
