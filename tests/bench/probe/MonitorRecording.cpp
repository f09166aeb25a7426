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

    // Over minutes the reports may move (sound lost on the way), so each
    // second of sound has its own.
    std::vector<std::vector<double>> seconds(m_samples.size() / pwtest::kRecordRate + 1);
    for (const Stamp& report : m_reports)
        seconds[std::min(report.samples / pwtest::kRecordRate, seconds.size() - 1)].push_back(report.at);
    // A second without a report takes the one before.
    double last = m_reports.empty() ? 0.0 : m_reports.front().at;
    for (const auto& starts : seconds) {
        if (!starts.empty())
            last = Quantile(starts, 0.5);
        m_secondStarts.push_back(last);
    }
}

std::size_t MonitorRecording::SecondOf(std::size_t sample) const {
    return std::min(sample / pwtest::kRecordRate, m_secondStarts.size() - 1);
}

double MonitorRecording::HeardAt(std::size_t sample) const {
    return m_secondStarts[SecondOf(sample)] + static_cast<double>(sample) / pwtest::kRecordRate;
}

double MonitorRecording::TimingSpread() const {
    std::vector<double> residuals;
    for (const Stamp& report : m_reports)
        residuals.push_back(report.at - m_secondStarts[SecondOf(report.samples)]);
    return Quantile(residuals, 0.95) - Quantile(residuals, 0.05);
}

double MonitorRecording::ClockGain() const {
    // The first sample's heard time by each report, against the sound read
    // by then: it comes earlier by the device's gain.
    std::vector<double> sound, start;
    for (const Stamp& report : m_reports) {
        sound.push_back(static_cast<double>(report.samples) / pwtest::kRecordRate);
        start.push_back(report.at);
    }
    return -pwtest::Slope(sound, start);
}

double MonitorRecording::ReadAhead() const {
    std::vector<double> ahead;
    for (const Stamp& read : m_reads)
        ahead.push_back(HeardAt(read.samples - 1) - read.at);
    return Quantile(ahead, 0.5);
}

double MonitorRecording::SecondsRead() const {
    return static_cast<double>(m_reads.back().samples - m_reads.front().samples) / pwtest::kRecordRate;
}

double MonitorRecording::SecondsReading() const {
    return m_reads.back().at - m_reads.front().at;
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
    const std::size_t samples = recording->m_samples.size();
    if (samples == 0)
        return;
    recording->m_reads.push_back({samples, now});
    // For a monitor the stream's time is the position the sink plays now:
    // what is heard at this moment.
    pa_usec_t heard = 0;
    if (pa_stream_get_time(stream, &heard) == 0)
        recording->m_reports.push_back({samples, now - static_cast<double>(heard) * 1e-6});
    pa_threaded_mainloop_signal(recording->m_pLoop, 0);
}
