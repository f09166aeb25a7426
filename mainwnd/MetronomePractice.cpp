// The main window's practice tools: tap tempo, the Practice window, and what
// the tick display shows of the run.
#include "mainwnd/MetronomeDlg.h"

#include <cstdint>

#include "mainwnd/PracticeDlg.h"
#include "mainwnd/PracticeView.h"
#include "model/AppData.h"

namespace {

constexpr UINT kMenuPractice = 1;

PracticePlan PlanFrom(const CSettings& settings) {
    PracticePlan plan;
    auto value = [](int field, const SettingRange& range) {
        return static_cast<unsigned>(range.Clamp(field));
    };
    plan.nCountInBars = value(settings.m_nCountInBars, practice::kCountInBars);
    plan.nTrainerStep = value(settings.m_nTrainerStepBpm, practice::kTrainerStepBpm);
    plan.nTrainerEvery = value(settings.m_nTrainerEveryBars, practice::kTrainerEveryBars);
    plan.nTrainerTarget = value(settings.m_nTrainerTargetBpm, practice::kTrainerTargetBpm);
    plan.nMutePlay = value(settings.m_nMutePlayBars, practice::kMutePlayBars);
    plan.nMuteSilent = value(settings.m_nMuteSilentBars, practice::kMuteSilentBars);
    plan.nMinutes = value(settings.m_nPracticeMinutes, practice::kPracticeMinutes);
    return plan;
}

// A key press of its own, not the keyboard's repeat of a held key.
bool IsFirstPress(const MSG& msg, WPARAM key) {
    return msg.message == WM_KEYDOWN && msg.wParam == key && (msg.lParam & (1 << 30)) == 0;
}

} // namespace

void CMetronomeDlg::PracticePoster::OnPracticeChanged() {
    if (HWND target = hWnd.load())
        ::PostMessageA(target, WM_PRACTICE_CHANGED, 0, 0);
}

void CMetronomeDlg::PracticePoster::OnPracticeEnded() {
    if (HWND target = hWnd.load())
        ::PostMessageA(target, WM_PRACTICE_ENDED, 0, 0);
}

void CMetronomeDlg::SetUpPractice() {
    m_practicePoster.hWnd.store(m_hWnd);
    m_engine.SetPracticeListener(&m_practicePoster);
    ApplyPracticePlan();
}

bool CMetronomeDlg::OnPracticeInput(const MSG& msg) {
    if (IsFirstPress(msg, 'T')) {
        OnTap(msg.time);
        return true;
    }
    if (IsFirstPress(msg, 'P')) {
        OnPracticeWindow();
        return true;
    }
    const bool left = msg.message == WM_LBUTTONDOWN || msg.message == WM_LBUTTONDBLCLK;
    if (!left && msg.message != WM_RBUTTONUP)
        return false;
    // The display lets clicks through to the window: where they land tells.
    POINT pt = msg.pt;
    RECT display;
    m_tickTock.GetWindowRect(&display);
    if (!::PtInRect(&display, pt))
        return false;
    if (left) {
        m_tickTock.ScreenToClient(&pt);
        const RECT tempo = m_tickTock.GetTempoBox();
        if (::PtInRect(&tempo, pt))
            OnTap(msg.time);
        return false;
    }
    pw::UniqueMenu menu(::CreatePopupMenu());
    ::AppendMenuA(menu.Get(), MF_STRING, kMenuPractice, "&Practice...");
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, nullptr));
    if (chosen == kMenuPractice)
        OnPracticeWindow();
    return true;
}

void CMetronomeDlg::OnTap(DWORD time) {
    const auto tempo = m_tapTempo.Tap(static_cast<std::int64_t>(time));
    if (!tempo)
        return;
    SetSliderTempo(static_cast<int>(*tempo));
    m_tickTock.SetTempo(*tempo);
    m_engine.TapTempo(*tempo);
    ShowPractice();
}

void CMetronomeDlg::OnPracticeWindow() {
    CSettings* settings = Settings();
    if (!settings)
        return;
    CPracticeDlg practice(
        *settings, [this] { ApplyPracticePlan(); }, this, &m_coach);
    practice.DoModal();
}

void CMetronomeDlg::ApplyPracticePlan() {
    if (CSettings* settings = Settings())
        m_engine.SetPracticePlan(PlanFrom(*settings));
    ShowPractice();
}

void CMetronomeDlg::OnPracticeChanged() {
    if (!m_engine.IsPlaying())
        return;
    const unsigned tempo = m_engine.GetTempo();
    if (static_cast<int>(tempo) != GetTempo()) {
        SetSliderTempo(static_cast<int>(tempo));
        m_tickTock.SetTempo(tempo);
    }
    ShowPractice();
}

void CMetronomeDlg::OnPracticeEnded() {
    if (m_engine.IsPlaying())
        OnStop();
}

void CMetronomeDlg::ShowPractice() {
    const CSettings* settings = Settings();
    const PracticePlan plan = settings ? PlanFrom(*settings) : PracticePlan{};
    const bool playing = m_engine.IsPlaying();
    m_tickTock.SetPracticeTexts(practiceview::Describe(plan, m_engine.GetPracticeStatus(), playing,
                                                       playing ? m_engine.GetTempo() : GetTempo(),
                                                       m_engine.IsUserBeatMode()));
}

void CMetronomeDlg::ReturnToChosenTempo() {
    const unsigned chosen = m_engine.GetChosenTempo();
    if (chosen != 0 && static_cast<int>(chosen) != GetTempo()) {
        SetSliderTempo(static_cast<int>(chosen));
        m_tickTock.SetTempo(chosen);
    }
    ShowPractice();
}
