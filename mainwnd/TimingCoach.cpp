#include "mainwnd/TimingCoach.h"

#include <shellapi.h>

#include <cmath>
#include <cstdio>

#include "engine/BeatSequencer.h"
#include "model/AppData.h"
#include "model/FileStore.h"
#include "model/PracticeLog.h"
#include "model/Settings.h"

namespace {

constexpr UINT_PTR kCollectTimer = 1;
constexpr UINT kCollectEveryMs = 50;
// The calibration's first click comes this long after it starts, and it
// listens this long after the last one is heard.
constexpr unsigned kCalibrationLeadMs = 2000;
constexpr unsigned kCalibrationTailMs = 600;
constexpr double kEchoScale = 10000.0;

std::int64_t Microseconds(std::chrono::steady_clock::time_point at) {
    return std::chrono::duration_cast<std::chrono::microseconds>(at.time_since_epoch()).count();
}

std::string Signed(double ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%+.0f ms", std::round(ms) == 0.0 ? 0.0 : ms);
    return text;
}

} // namespace

struct CTimingCoach::Calibration {
    // The render thread's: the first click's sample, and the next to play.
    std::int64_t nFirst = INT64_MIN;
    unsigned nNext = 0;
    CHandOver<std::int64_t, kCalibrationClicks> heard;
    std::vector<std::int64_t> clicks;
    std::vector<CoachOnset> onsets;
};

CTimingCoach::CTimingCoach(CTickTockCtrl& display, COutputStream& stream)
    : m_display(display), m_stream(stream) {}

CTimingCoach::~CTimingCoach() {
    m_stream.StopRun(this);
    StopInput();
}

bool CTimingCoach::Create(CWnd* parent, UINT id) {
    m_unavailable = CInputStream::CheckInputDevice();
    return CreateEx(0, nullptr, "", WS_CHILD, RECT{0, 0, 0, 0}, parent, id);
}

void CTimingCoach::OnDestroy() {
    KillTimer(kCollectTimer);
    m_stream.StopRun(this);
    m_calibration.reset();
    StopInput();
    CWnd::OnDestroy();
}

bool CTimingCoach::IsOn() const {
    return m_pSettings && m_pSettings->m_bCoachOn;
}

void CTimingCoach::SetOn(bool on) {
    if (m_pSettings)
        m_pSettings->m_bCoachOn = on ? 1 : 0;
}

bool CTimingCoach::IsCalibrated() const {
    return m_pSettings && m_pSettings->m_nCoachEchoLevel > 0;
}

unsigned CTimingCoach::GetLatencyMs() const {
    return m_pSettings ? static_cast<unsigned>(std::max(0, m_pSettings->m_nCoachLatencyMs)) : 0;
}

std::string CTimingCoach::GetPracticeLogPath() {
    const std::string folder = CAppData::GetUserDataFolder();
    return folder.empty() || !CreateFolders(folder) ? std::string() : folder + kPracticeLogName;
}

bool CTimingCoach::OpenPracticeLog() {
    const std::string path = GetPracticeLogPath();
    if (path.empty() || !EnsurePracticeLog(path))
        return false;
    return reinterpret_cast<INT_PTR>(::ShellExecuteW(nullptr, L"open", SystemPath(path).c_str(), nullptr,
                                                     nullptr, SW_SHOWNORMAL)) > 32;
}

std::int64_t CTimingCoach::HeardUs(std::int64_t sample) const {
    return Microseconds(m_stream.HeardTimeOf(sample));
}

void CTimingCoach::StartSwing(std::chrono::steady_clock::time_point heardAt) {
    m_nBeats.fetch_add(1, std::memory_order_relaxed);
    if (m_bTaking.load())
        m_ticks.Put(CoachTick{Microseconds(heardAt), true});
    m_display.StartSwing(heardAt);
}

void CTimingCoach::OnTick(std::uint64_t, std::int64_t sample) {
    if (m_bTaking.load())
        m_ticks.Put(CoachTick{HeardUs(sample), false});
}

void CTimingCoach::OnInputOnset(std::int64_t atUs, float peak) {
    m_onsets.Put(CoachOnset{atUs, peak});
}

void CTimingCoach::OnInputEnded() {
    m_bInputEnded.store(true);
}

void CTimingCoach::StartInput() {
    m_onsets.TakeAll([](const CoachOnset&) {});
    m_bInputEnded.store(false);
    m_pInput = std::make_unique<CInputStream>(static_cast<IInputListener&>(*this));
    SetTimer(kCollectTimer, kCollectEveryMs);
}

void CTimingCoach::StopInput() {
    m_pInput.reset();
    m_bTaking.store(false);
}

void CTimingCoach::OnRunStart(unsigned tempo, bool userBeatMode) {
    if (m_run)
        return;
    Run run;
    const std::time_t now = std::time(nullptr);
    if (const std::tm* local = std::localtime(&now))
        run.started = *local;
    run.startedAt = std::chrono::steady_clock::now();
    run.nTempo = tempo;
    run.bUserBeatMode = userBeatMode;
    m_nBeats.store(0);
    m_session.reset();
    run.bCoached = IsOn();
    m_run = run;
    if (!run.bCoached || IsCalibrating()) {
        Show("", "");
    } else if (!m_unavailable.empty()) {
        Show("no input", "");
    } else if (!IsCalibrated()) {
        Show("uncalibrated", "");
    } else {
        m_session =
            std::make_unique<CCoachSession>(GetLatencyMs(), m_pSettings->m_nCoachEchoLevel / kEchoScale);
        m_ticks.TakeAll([](const CoachTick&) {});
        m_bTaking.store(true);
        StartInput();
        Show("listening", "");
    }
}

void CTimingCoach::OnRunStop(unsigned tempo) {
    if (!m_run)
        return;
    const Run run = *m_run;
    m_run.reset();
    std::optional<PracticeCoachFigures> figures;
    if (m_session) {
        Collect(true);
        StopInput();
        KillTimer(kCollectTimer);
        const CoachSummary summary = m_session->GetSummary();
        figures = PracticeCoachFigures{summary.nHits, summary.dMeanMs, summary.dSdMs, summary.dWithin10Pct};
        char within[48];
        std::snprintf(within, sizeof within, "%.0f%% within 10 ms", summary.dWithin10Pct);
        if (summary.nHits == 0)
            Show("", "", {"Coach: no hits heard"});
        else
            Show("", "",
                 {std::to_string(summary.nHits) + (summary.nHits == 1 ? " hit, mean " : " hits, mean ") +
                      Signed(summary.dMeanMs),
                  "spread " + std::to_string(static_cast<int>(std::lround(summary.dSdMs))) + " ms, " +
                      within});
    } else if (run.bCoached && !IsCalibrating()) {
        Show("", "", {!m_unavailable.empty() ? "Coach: " + m_unavailable : "Coach: calibrate first"});
    }
    if (!m_pSettings)
        return;
    PracticeRun line;
    line.started = run.started;
    line.dMinutes =
        std::chrono::duration<double, std::ratio<60>>(std::chrono::steady_clock::now() - run.startedAt)
            .count();
    line.bUserBeatMode = run.bUserBeatMode;
    line.nTempoStart = run.nTempo;
    line.nTempoEnd = tempo;
    line.nBeats = m_nBeats.load();
    line.coach = figures;
    const std::string path = GetPracticeLogPath();
    if (!path.empty())
        AppendPracticeLog(path, line);
}

bool CTimingCoach::Calibrate() {
    if (!m_pSettings || m_run || IsCalibrating() || !m_unavailable.empty())
        return false;
    m_calibration = std::make_unique<Calibration>();
    Show("", "", {"Calibrating..."});
    StartInput();
    m_stream.StartRun(this);
    return true;
}

void CTimingCoach::OnBlock(std::int64_t from, std::int64_t to, unsigned rate) {
    Calibration& calibration = *m_calibration;
    if (calibration.nFirst == INT64_MIN)
        calibration.nFirst = from + std::int64_t{kCalibrationLeadMs} * rate / 1000;
    for (; calibration.nNext < kCalibrationClicks; ++calibration.nNext) {
        const std::int64_t sample =
            calibration.nFirst + std::int64_t{calibration.nNext} * kCalibrationEveryMs * rate / 1000;
        if (sample >= to)
            break;
        m_stream.Play(kAccentSoundId, sample);
        calibration.heard.Put(HeardUs(sample));
    }
}

void CTimingCoach::OnTimer(UINT_PTR id) {
    if (id != kCollectTimer)
        return CWnd::OnTimer(id);
    if (m_calibration) {
        m_calibration->heard.TakeAll([&](std::int64_t at) { m_calibration->clicks.push_back(at); });
        m_onsets.TakeAll([&](const CoachOnset& onset) { m_calibration->onsets.push_back(onset); });
        const bool allHeard = m_calibration->clicks.size() == kCalibrationClicks &&
                              Microseconds(std::chrono::steady_clock::now()) >
                                  m_calibration->clicks.back() + std::int64_t{kCalibrationTailMs} * 1000;
        if (allHeard || m_bInputEnded.load())
            FinishCalibration();
        return;
    }
    if (!m_session)
        return;
    if (m_bInputEnded.load() && m_pInput) {
        // Listening ends; the metronome plays on.
        StopInput();
        KillTimer(kCollectTimer);
        Show("input lost", "");
        Changed();
        return;
    }
    Collect(false);
}

void CTimingCoach::Collect(bool ended) {
    m_ticks.TakeAll([&](const CoachTick& tick) { m_session->AddTick(tick); });
    m_onsets.TakeAll([&](const CoachOnset& onset) { m_session->AddOnset(onset); });
    const std::vector<CoachHit> hits = m_session->Match(ended);
    if (!hits.empty() && !ended)
        Show(Signed(hits.back().dOffsetMs), "mean " + Signed(hits.back().dMeanMs));
}

void CTimingCoach::FinishCalibration() {
    m_stream.StopRun(this);
    StopInput();
    KillTimer(kCollectTimer);
    std::optional<CoachCalibration> result;
    if (!m_bInputEnded.load())
        result = ::Calibrate(m_calibration->clicks, m_calibration->onsets);
    m_calibration.reset();
    if (!result || !m_pSettings) {
        Show("", "", {"Coach: the clicks did not come back"});
    } else {
        const CoachCalibration found = *result;
        m_pSettings->m_nCoachLatencyMs = static_cast<int>(found.nLatencyMs);
        m_pSettings->m_nCoachEchoLevel =
            std::max(1, static_cast<int>(std::lround(found.fEchoLevel * kEchoScale)));
        // Stored at once: a calibration is worth keeping through a crash.
        m_pSettings->Save();
        Show("", "", {"Coach: round trip " + std::to_string(found.nLatencyMs) + " ms"});
    }
    Changed();
}

void CTimingCoach::Changed() {
    if (m_onChange)
        m_onChange();
}

void CTimingCoach::Show(const std::string& left, const std::string& right, std::vector<std::string> lines) {
    m_display.SetCoachText(CTickTockCtrl::CoachText{left, right, std::move(lines)});
}
