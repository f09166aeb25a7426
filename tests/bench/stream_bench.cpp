// Plays click mode through the program's own output stream, clocked by the
// stream, while the null sink is recorded, and prints what the stream costs
// and how well its clicks keep time: the device and its open time, latency,
// heard intervals, late hits and underruns, processor time of the render
// thread and of the process, and the threads before, while and after playing.
//
//   stream_bench.exe [seconds=30] [tempo=113] [note=16] [auto|dsound|none]
//
// Run it through scripts/bench.sh, which provides the headless environment.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ClickReport.h"
#include "Recorder.h"
#include "StreamRun.h"
#include "engine/BeatSequencer.h"
#include "engine/TickMath.h"

namespace {

double Seconds(long long from, long long to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to - from) / static_cast<double>(frequency.QuadPart);
}

long long Now() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 30.0;
    const unsigned tempo = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 113;
    const unsigned note = argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 16;
    const char* deviceArg = argc > 4 ? argv[4] : "auto";
    const unsigned period = ComputeTickPeriod(tempo, note);
    if (seconds <= 0 || period == 0) {
        std::fprintf(stderr,
                     "usage: stream_bench [seconds] [tempo 30..300] [note 4, 8 or 16] [auto|dsound|none]\n");
        return 2;
    }
    const auto device = std::strcmp(deviceArg, "dsound") == 0 ? COutputStream::Device::DirectSound
                        : std::strcmp(deviceArg, "none") == 0 ? COutputStream::Device::None
                                                              : COutputStream::Device::Automatic;
    const int threadsBefore = pwtest::CountThreads();
    COutputStream stream(device);
    for (int id : {kAccentSoundId, kClickSoundId})
        stream.LoadSound(id);

    // Without a sound server (or a device) the stream's figures still count.
    pwtest::Recorder recorder;
    const bool recording = device != COutputStream::Device::None && recorder.Start(seconds + 1.5);
    if (!recording)
        std::printf("not recorded: %s\n", recorder.Error().empty() ? "no device" : recorder.Error().c_str());
    pwtest::ClickRun run(stream, period);
    const double cpuBefore = pwtest::CpuSeconds();
    const double renderBefore = stream.GetRenderCpuSeconds();
    const long long started = Now();
    stream.StartRun(&run);
    while (stream.GetState() == COutputStream::State::Closed && Seconds(started, Now()) < 5)
        ::Sleep(0);
    const double openMs = Seconds(started, Now()) * 1000;
    double latencySum = 0;
    double latencyMax = 0;
    int latencyCount = 0;
    int latencySamples = 0;
    int threadsPlaying = 0;
    while (Seconds(started, Now()) < seconds) {
        ::Sleep(100);
        if (stream.GetState() == COutputStream::State::Playing) {
            const double latency =
                static_cast<double>(stream.GetRenderPosition() - stream.GetHeardPosition()) * 1000 /
                stream.GetRate();
            latencySum += latency;
            latencyMax = std::max(latencyMax, latency);
            ++latencySamples;
        }
        // Once: a snapshot of the threads costs the wine server more than
        // the stream does.
        if (++latencyCount == 10)
            threadsPlaying = pwtest::CountThreads();
    }
    stream.StopRun(&run);
    const double cpu = pwtest::CpuSeconds() - cpuBefore;
    const double renderCpu = stream.GetRenderCpuSeconds() - renderBefore;
    const long long stopped = Now();
    while (stream.GetState() != COutputStream::State::Closed && Seconds(stopped, Now()) < 20)
        ::Sleep(50);
    const double closedAfter = Seconds(stopped, Now());
    ::Sleep(500);
    const int threadsAfter = pwtest::CountThreads();

    std::printf("stream, %s device: %s, click mode %u bpm, note %u: period %u ms, %.0f s\n", deviceArg,
                stream.GetDeviceName(), tempo, note, period, seconds);
    std::printf("open:      %.1f ms from StartRun to the stream running, %u Hz\n", openMs, stream.GetRate());
    std::printf("latency:   mean %.1f ms, max %.1f ms (queued ahead of the ear)\n",
                latencySamples ? latencySum / latencySamples : 0.0, latencyMax);
    std::printf("hits:      %llu ticks, %u late, %u dropped, %u underruns, %u losses\n",
                static_cast<unsigned long long>(run.GetTicks()), stream.GetLateHits(),
                stream.GetDroppedHits(), stream.GetUnderruns(), stream.GetLossCount());
    std::printf("cpu:       render thread %.3f %%, process %.3f %% of a core\n", renderCpu * 100 / seconds,
                cpu * 100 / seconds);
    std::printf("threads:   %d before, %d playing, %d after; closed %.2f s after the last sound\n",
                threadsBefore, threadsPlaying, threadsAfter, closedAfter);
    if (recording) {
        const auto samples = recorder.Finish();
        pwtest::ReportRecording(samples, run.GetTicks(), tempo, note, period);
    }
    return 0;
}
