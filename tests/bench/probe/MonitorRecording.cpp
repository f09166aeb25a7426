#include "MonitorRecording.h"

#include <algorithm>

#include "ClickStats.h"
#include "Clock.h"

namespace {

// The existing benchmarks record with this latency; it sets how often the
// sink mixes, so the program sees the same sound server either way.
constexpr pa_usec_t kFragment = 10000;

double Quantile(std::vector<double> values, double q) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(q * static_cast<double>(values.size() - 1))];
}

} // namespace

MonitorRecording::~MonitorRecording() {
    Stop();
}

bool MonitorRecording::Fail(const char* what) {
    m_strError = what;
    if (m_pContext)
        m_strError += std::string(": ") + pa_strerror(pa_context_errno(m_pContext));
    pa_threaded_mainloop_unlock(m_pLoop);
    Stop();
    return false;
}

bool MonitorRecording::Start(const std::string& source) {
    m_pLoop = pa_threaded_mainloop_new();
    if (!m_pLoop || pa_threaded_mainloop_start(m_pLoop) < 0) {
        m_strError = "cannot start a sound server main loop";
        return false;
    }
    pa_threaded_mainloop_lock(m_pLoop);
    m_pContext = pa_context_new(pa_threaded_mainloop_get_api(m_pLoop), "pw_probe");
    pa_context_set_state_callback(m_pContext, OnContextState, this);
    if (pa_context_connect(m_pContext, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0)
        return Fail("cannot reach the sound server");
    while (pa_context_get_state(m_pContext) != PA_CONTEXT_READY) {
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(m_pContext)))
            return Fail("cannot reach the sound server");
        pa_threaded_mainloop_wait(m_pLoop);
    }

    const pa_sample_spec spec{PA_SAMPLE_S16LE, pwtest::kRecordRate, 1};
    m_pStream = pa_stream_new(m_pContext, "pw_probe", &spec, nullptr);
    pa_stream_set_state_callback(m_pStream, OnStreamState, this);
    pa_stream_set_read_callback(m_pStream, OnRead, this);
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.fragsize = static_cast<std::uint32_t>(pa_usec_to_bytes(kFragment, &spec));
    // The server reports its timing often and the stream interpolates in
    // between: that is what ties each sample to the clock.
    const auto flags = static_cast<pa_stream_flags_t>(
        PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_ADJUST_LATENCY);
    if (pa_stream_connect_record(m_pStream, source.c_str(), &attr, flags) < 0)
        return Fail("cannot record the monitor");
    while (pa_stream_get_state(m_pStream) != PA_STREAM_READY || m_samples.size() < pwtest::kRecordRate / 20) {
        if (!PA_STREAM_IS_GOOD(pa_stream_get_state(m_pStream)))
            return Fail("cannot record the monitor");
        pa_threaded_mainloop_wait(m_pLoop);
    }
    pa_threaded_mainloop_unlock(m_pLoop);
    return true;
}

void MonitorRecording::Stop() {
    if (!m_pLoop)
        return;
    pa_threaded_mainloop_lock(m_pLoop);
    if (m_pStream) {
        pa_stream_disconnect(m_pStream);
        pa_stream_unref(m_pStream);
        m_pStream = nullptr;
    }
    if (m_pContext) {
        pa_context_disconnect(m_pContext);
        pa_context_unref(m_pContext);
        m_pContext = nullptr;
    }
    pa_threaded_mainloop_unlock(m_pLoop);
    pa_threaded_mainloop_stop(m_pLoop);
    pa_threaded_mainloop_free(m_pLoop);
    m_pLoop = nullptr;
}

double MonitorRecording::FirstSampleHeard() const {
    return Quantile(m_starts, 0.5);
}

double MonitorRecording::FirstSampleSpread() const {
    return Quantile(m_starts, 0.95) - Quantile(m_starts, 0.05);
}

void MonitorRecording::OnContextState(pa_context*, void* self) {
    pa_threaded_mainloop_signal(static_cast<MonitorRecording*>(self)->m_pLoop, 0);
}

void MonitorRecording::OnStreamState(pa_stream*, void* self) {
    pa_threaded_mainloop_signal(static_cast<MonitorRecording*>(self)->m_pLoop, 0);
}

void MonitorRecording::OnRead(pa_stream* stream, std::size_t, void* self) {
    auto* recording = static_cast<MonitorRecording*>(self);
    const void* data = nullptr;
    std::size_t bytes = 0;
    while (pa_stream_readable_size(stream) > 0 && pa_stream_peek(stream, &data, &bytes) == 0 && bytes > 0) {
        const auto* samples = static_cast<const std::int16_t*>(data);
        // A hole in the stream is silence of its length.
        if (samples)
            recording->m_samples.insert(recording->m_samples.end(), samples, samples + bytes / 2);
        else
            recording->m_samples.resize(recording->m_samples.size() + bytes / 2);
        pa_stream_drop(stream);
    }
    const double now = MonotonicSeconds();
    recording->m_firstRead = std::min(
        recording->m_firstRead, now - static_cast<double>(recording->m_samples.size()) / pwtest::kRecordRate);
    // For a monitor the stream's time is the position the sink plays now:
    // what is heard at this moment.
    pa_usec_t heard = 0;
    if (pa_stream_get_time(stream, &heard) == 0)
        recording->m_starts.push_back(now - static_cast<double>(heard) * 1e-6);
    pa_threaded_mainloop_signal(recording->m_pLoop, 0);
}
