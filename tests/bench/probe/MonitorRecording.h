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
    // When the first sample was heard, in seconds of CLOCK_MONOTONIC, from the
    // server's timing reports (the median of them); how far the reports spread
    // (the middle 90 % of them) says how well that is known.
    double FirstSampleHeard() const;
    double FirstSampleSpread() const;
    // The earliest the first sample can have been recorded: the probe had
    // each block by the time it read it.
    double FirstSampleRead() const { return m_firstRead; }
    const std::string& Error() const { return m_strError; }

private:
    static void OnContextState(pa_context* context, void* self);
    static void OnStreamState(pa_stream* stream, void* self);
    static void OnRead(pa_stream* stream, std::size_t bytes, void* self);
    bool Fail(const char* what);

    pa_threaded_mainloop* m_pLoop = nullptr;
    pa_context* m_pContext = nullptr;
    pa_stream* m_pStream = nullptr;
    std::vector<std::int16_t> m_samples;
    // Each report's estimate of FirstSampleHeard.
    std::vector<double> m_starts;
    double m_firstRead = 1e300;
    std::string m_strError;
};
