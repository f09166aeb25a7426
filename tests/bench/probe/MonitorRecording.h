// Records what the sound server plays (the monitor of a sink) together with
// when each sample is heard, on the system's monotonic clock.
#pragma once

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

#include <cstdint>
#include <string>
#include <vector>

class MonitorRecording {
public:
    MonitorRecording() = default;
    MonitorRecording(const MonitorRecording&) = delete;
    MonitorRecording& operator=(const MonitorRecording&) = delete;
    ~MonitorRecording();

    // Starts recording mono 16-bit samples at pwtest::kRecordRate from the
    // source and returns once they flow; false (with Error()) if not.
    bool Start(const std::string& source);
    // Ends the recording; the samples and times stay.
    void Stop();

    const std::vector<std::int16_t>& Samples() const { return m_samples; }
    // When a sample was heard, in seconds of CLOCK_MONOTONIC. Each of the
    // server's timing reports tells which sample the sink plays at that
    // moment; the median of those of the same second of sound counts.
    double HeardAt(std::size_t sample) const;
    // How far the reports stray from those medians (the middle 90 % of them):
    // how well the heard times are known.
    double TimingSpread() const;
    // How much faster the sound device's clock (its samples) runs than the
    // system's clock: 1e-6 for one microsecond a second.
    double ClockGain() const;
    // How long before they are heard the samples reach the probe (the median
    // over its reads).
    double ReadAhead() const;
    // Seconds of sound read, and the seconds over which they came: fewer of
    // sound when some was lost on the way.
    double SecondsRead() const;
    double SecondsReading() const;
    const std::string& Error() const { return m_strError; }

private:
    static void OnContextState(pa_context* context, void* self);
    static void OnStreamState(pa_stream* stream, void* self);
    static void OnRead(pa_stream* stream, std::size_t bytes, void* self);
    bool Fail(const char* what);
    std::size_t SecondOf(std::size_t sample) const;

    pa_threaded_mainloop* m_pLoop = nullptr;
    pa_context* m_pContext = nullptr;
    pa_stream* m_pStream = nullptr;
    std::vector<std::int16_t> m_samples;
    // What the probe had read (m_samples' size) at a moment: for a read, the
    // moment it read them; for a timing report, when the first sample was
    // heard by the report.
    struct Stamp {
        std::size_t samples;
        double at;
    };
    std::vector<Stamp> m_reads;
    std::vector<Stamp> m_reports;
    // The reports' median of when the first sample was heard, for each second
    // of sound; made when the recording stops.
    std::vector<double> m_secondStarts;
    std::string m_strError;
};
