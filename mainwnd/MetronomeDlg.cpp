#include "mainwnd/MetronomeDlg.h"

#include <utility>

#include "bitmap_ids.h"
#include "editor/CustomBeatDlg.h"
#include "framework/WinApp.h"
#include "mainwnd/TempoJump.h"
#include "model/AppData.h"
#include "resource.h"

namespace {

constexpr int kStartTempo = 100;
constexpr COLORREF kWhite = RGB(255, 255, 255);

struct ButtonImages {
    int id;
    UINT hot, normal, disabled, flash;
};

// In the order they are set up.
constexpr ButtonImages kButtons[] = {
    {IDC_MAIN_START, IDB_START_HOT, IDB_START_NORMAL, 0, IDB_START_FLASH},
    {IDC_MAIN_STOP, IDB_STOP_HOT, IDB_STOP_NORMAL, 0, IDB_STOP_FLASH},
    {IDC_MAIN_TEMPO_DOWN, IDB_TEMPO_DOWN_HOT, IDB_TEMPO_DOWN_NORMAL, 0, IDB_TEMPO_DOWN_FLASH},
    {IDC_MAIN_TEMPO_UP, IDB_TEMPO_UP_HOT, IDB_TEMPO_UP_NORMAL, 0, IDB_TEMPO_UP_FLASH},
    {IDC_MAIN_MODE_SWITCH, IDB_MODE_HOT, IDB_MODE_NORMAL, 0, IDB_MODE_FLASH},
    {IDC_MAIN_CUSTOM_BEAT, IDB_CUSTOM_BEAT_HOT, IDB_CUSTOM_BEAT_NORMAL, IDB_CUSTOM_BEAT_DISABLED,
     IDB_CUSTOM_BEAT_FLASH},
    {IDC_MAIN_BEAT_CHANGE, IDB_BEAT_HOT, IDB_BEAT_NORMAL, IDB_BEAT_DISABLED, IDB_BEAT_FLASH},
};

bool IsNavigationKey(WPARAM key) {
    switch (key) {
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        return true;
    default:
        return false;
    }
}

} // namespace

CMetronomeDlg::CMetronomeDlg(CAppData* data, AboutDialogs about, CWnd* parent)
    : CDialog(IDD_METRONOME, parent), m_pAppData(data), m_about(std::move(about)) {
    m_hIcon.Reset(static_cast<HICON>(::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_PULSEWICK),
                                                  IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
}

CMetronomeDlg::~CMetronomeDlg() = default;

int CMetronomeDlg::GetTempo() const {
    return m_sliderTempo.GetRangeMin() + m_sliderTempo.GetRangeMax() - m_sliderTempo.GetPos();
}

void CMetronomeDlg::SetSliderTempo(int tempo) {
    m_sliderTempo.SetPos(m_sliderTempo.GetRangeMin() + m_sliderTempo.GetRangeMax() - tempo, TRUE);
}

void CMetronomeDlg::ApplyTempo() {
    m_tickTock.SetTempo(static_cast<unsigned>(GetTempo()));
    m_engine.SetTempo(static_cast<unsigned>(GetTempo()));
}

void CMetronomeDlg::SetBeat(unsigned beats, unsigned note) {
    m_engine.SetBeat(beats, note);
    m_beatChange.SetBeat(beats, note);
}

void CMetronomeDlg::SetUserBeatMode(bool on) {
    m_engine.SetUserBeatMode(on);
    ShowPractice();
}

void CMetronomeDlg::StartTicking(int tempo) {
    if (!m_engine.IsPlaying())
        m_coach.OnRunStart(static_cast<unsigned>(tempo), m_engine.IsUserBeatMode());
    m_engine.StartTicking(static_cast<unsigned>(tempo));
    ShowPractice();
}

void CMetronomeDlg::StopTicking() {
    m_engine.StopTicking();
    m_coach.OnRunStop(m_engine.GetTempo());
    ReturnToChosenTempo();
}

void CMetronomeDlg::TakePattern() {
    m_soundBank.SetPattern(m_pAppData ? m_pAppData->m_pCustomBeat.get() : nullptr);
}

CSettings* CMetronomeDlg::Settings() const {
    return m_pAppData ? m_pAppData->m_pSettings.get() : nullptr;
}

void CMetronomeDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_MAIN_ABOUT, m_linkAbout);
    DDX_Control(dx, IDC_MAIN_WEBSITE, m_linkWebsite);
    DDX_Control(dx, IDC_MAIN_BEAT_CHANGE, m_btnBeatChange);
    DDX_Control(dx, IDC_MAIN_CUSTOM_BEAT, m_btnCustomBeat);
    DDX_Control(dx, IDC_MAIN_MODE_SWITCH, m_btnModeSwitch);
    DDX_Control(dx, IDC_MAIN_STOP, m_btnStop);
    DDX_Control(dx, IDC_MAIN_TEMPO_DOWN, m_btnTempoDown);
    DDX_Control(dx, IDC_MAIN_TEMPO_UP, m_btnTempoUp);
    DDX_Control(dx, IDC_MAIN_START, m_btnStart);
    DDX_Control(dx, IDC_MAIN_TICKTOCK, m_tickTock);
    DDX_Control(dx, IDC_MAIN_SLIDER, m_sliderTempo);
}

BOOL CMetronomeDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon.Get()));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon.Get()));
    m_brushBack.CreateSolidBrush(kWhite);

    m_sliderTempo.SetRange(tempojump::kMinTempo, tempojump::kMaxTempo, FALSE);
    m_sliderTempo.SetTicFreq(10);
    SetSliderTempo(kStartTempo);
    m_sliderTempo.SetFaceColour(kWhite);
    m_sliderTempo.SetSelectionColour(RGB(0, 0, 0));
    m_sliderTempo.SetChannelColour(RGB(0, 0, 0));

    m_coach.Create(this, kTimingCoachId);
    m_coach.SetSettings(Settings());
    m_engine.SetTickObserver(&m_coach);
    m_tickTock.SetTempo(static_cast<unsigned>(GetTempo()));
    SetBeat(4, 4);
    TakePattern();
    m_soundBank.SetUserBeat(false);
    m_soundBank.LoadSounds();
    SetUpButtons();

    RECT area;
    ::GetClientRect(GetDlgItem(IDC_MAIN_POPUP_AREA), &area);
    m_beatChange.Create(area, this, kBeatChangeId);
    ::GetWindowRect(GetDlgItem(IDC_MAIN_SWITCH_AREA), &area);
    ScreenToClient(&area);
    m_aniSwitch.Create(area, this, kModeSwitchAnimationId);

    m_linkWebsite.SetURL(kProductWebsite);
    m_linkAbout.m_bNotifyParent = TRUE;
    m_linkAbout.FitToText(GetDlgItem(IDC_MAIN_WEBSITE));
    m_linkWebsite.FitToText(nullptr);

    CSettings* settings = Settings();
    SetUserBeatMode(settings && settings->m_bUserBeatMode);
    ShowMode();
    SetUpPractice();

    if (settings && settings->m_bShowSplash && m_about.runSplash)
        settings->m_bShowSplash = m_about.runSplash() ? 1 : 0;
    return TRUE;
}

void CMetronomeDlg::SetUpButtons() {
    for (const ButtonImages& images : kButtons) {
        if (auto* button = static_cast<CFlashButton*>(CWnd::FromHandlePermanent(GetDlgItem(images.id))))
            SetUpFlashButton(*button, images.hot, images.normal, images.disabled, images.flash);
    }
}

LRESULT CMetronomeDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    // A second copy looking for us: registered by name, so not a case label.
    if (msg == UWM_ARE_YOU_ME)
        return UWM_ARE_YOU_ME;
    switch (msg) {
    case WM_SLIDER_PUSH_PGUP:
        OnPageJump(true);
        return 0;
    case WM_SLIDER_PUSH_PGDOWN:
        OnPageJump(false);
        return 0;
    case WM_NEED_TO_CLOSE_BEAT_CHANGE_CTRL:
        CloseBeatChange();
        return 0;
    case WM_NEED_TO_CHANGE_BEAT:
        OnBeatChosen(static_cast<unsigned>(wp), static_cast<unsigned>(lp));
        return 0;
    case WM_CHANGE_BTN_ANI_FINISHED:
        OnModeSwitched();
        return 0;
    case WM_PUSHED_HYPERLINKBTN:
        OnAbout();
        return 0;
    case WM_PRACTICE_CHANGED:
        OnPracticeChanged();
        return 0;
    case WM_PRACTICE_ENDED:
        OnPracticeEnded();
        return 0;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(m_hIcon.Get());
    case WM_CLOSE:
        EndDialog(IDCANCEL);
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wp)
            OnEndSession();
        return 0;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lp);
        if (header->idFrom == IDC_MAIN_SLIDER && header->code == static_cast<UINT>(NM_RELEASEDCAPTURE)) {
            ApplyTempo();
            return 0;
        }
        break;
    }
    case WM_HSCROLL:
        if (lp != 0 && reinterpret_cast<HWND>(lp) == m_sliderTempo.GetSafeHwnd())
            OnSliderScroll(LOWORD(wp));
        break;
    default:
        break;
    }
    return CDialog::WindowProc(msg, wp, lp);
}

void CMetronomeDlg::OnPaint(HDC dc) {
    if (!::IsIconic(m_hWnd)) {
        CDialog::OnPaint(dc);
        return;
    }
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc));
    RECT rc;
    GetClientRect(&rc);
    const int x = (rc.right - rc.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (rc.bottom - rc.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon.Get());
}

HBRUSH CMetronomeDlg::OnCtlColor(HDC dc, HWND, UINT) {
    ::SetBkMode(dc, TRANSPARENT);
    return m_brushBack;
}

bool CMetronomeDlg::OnCommand(UINT id, UINT code) {
    if (code != BN_CLICKED)
        return CDialog::OnCommand(id, code);
    switch (id) {
    case IDC_MAIN_START:
        OnStart();
        return true;
    case IDC_MAIN_STOP:
        OnStop();
        return true;
    case IDC_MAIN_TEMPO_UP:
        OnTempoUp();
        return true;
    case IDC_MAIN_TEMPO_DOWN:
        OnTempoDown();
        return true;
    case IDC_MAIN_MODE_SWITCH:
        OnModeSwitch();
        return true;
    case IDC_MAIN_BEAT_CHANGE:
        OnOpenBeatChange();
        return true;
    case IDC_MAIN_CUSTOM_BEAT:
        OnCustomBeat();
        return true;
    default:
        return CDialog::OnCommand(id, code);
    }
}

void CMetronomeDlg::OnStart() {
    m_soundBank.ResetStep();
    StartTicking(GetTempo());
    ShowPlaying();
    m_btnStop.SetFocus();
    m_btnStop.Flash();
}

void CMetronomeDlg::OnStop() {
    StopTicking();
    ShowPlaying();
    m_btnStart.SetFocus();
    m_btnStart.Flash();
}

void CMetronomeDlg::ShowPlaying() {
    const bool playing = m_engine.IsPlaying();
    m_btnStart.ShowWindow(playing ? SW_HIDE : SW_SHOW);
    m_btnStop.ShowWindow(playing ? SW_SHOW : SW_HIDE);
}

void CMetronomeDlg::ShowMode() {
    const bool userBeat = m_engine.IsUserBeatMode();
    m_btnBeatChange.EnableWindow(!userBeat);
    m_btnCustomBeat.EnableWindow(userBeat);
}

void CMetronomeDlg::OnTempoUp() {
    StepTempo(+1);
}

void CMetronomeDlg::OnTempoDown() {
    StepTempo(-1);
}

void CMetronomeDlg::StepTempo(int delta) {
    const int tempo = GetTempo();
    if (delta > 0 ? tempo >= m_sliderTempo.GetRangeMax() : tempo <= m_sliderTempo.GetRangeMin())
        return;
    // The position runs against the tempo.
    m_sliderTempo.SetPos(m_sliderTempo.GetPos() - delta, TRUE);
    ApplyTempo();
}

void CMetronomeDlg::OnPageJump(bool up) {
    SetSliderTempo(tempojump::FindAccurateTempo(GetTempo(), up, m_engine.GetTickNote()));
    // With the focus on the slider, the key's release ends its tracking and
    // the scroll handler applies the tempo then.
    if (::GetFocus() != m_sliderTempo.GetSafeHwnd())
        ApplyTempo();
}

void CMetronomeDlg::OnSliderScroll(UINT code) {
    // While the thumb is dragged only the display follows; the sound keeps
    // its tempo until the thumb is let go.
    if (code != TB_THUMBTRACK && m_engine.IsPlaying())
        ApplyTempo();
    else
        m_tickTock.SetTempo(static_cast<unsigned>(GetTempo()));
    if (m_beatChange.IsOpen())
        CloseBeatChange();
}

void CMetronomeDlg::OnModeSwitch() {
    // The buttons change over when the animation reports its end. The engine
    // stops a playing metronome before the mode changes and starts it again
    // after, so no tick plays the new mode with the old step or period.
    const bool userBeat = !m_engine.IsUserBeatMode();
    m_aniSwitch.Play(userBeat ? 1 : 2);
    SetUserBeatMode(userBeat);
}

void CMetronomeDlg::OnModeSwitched() {
    ShowMode();
    (m_engine.IsUserBeatMode() ? m_btnCustomBeat : m_btnBeatChange).SetFocus();
}

void CMetronomeDlg::OnOpenBeatChange() {
    RECT rc;
    m_btnBeatChange.GetWindowRect(&rc);
    ScreenToClient(&rc);
    m_btnBeatChange.ShowWindow(SW_HIDE);
    m_beatChange.Open((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
}

void CMetronomeDlg::CloseBeatChange() {
    m_beatChange.Close();
    m_btnBeatChange.ShowWindow(SW_SHOW);
}

void CMetronomeDlg::OnBeatChosen(unsigned beats, unsigned note) {
    SetBeat(beats, note);
}

void CMetronomeDlg::OnCustomBeat() {
    // The editor previews through the same sounds; the pattern must not
    // change under a running sequence.
    CCustomBeatDlg editor(m_pAppData, m_soundBank);
    if (m_engine.IsPlaying()) {
        StopTicking();
        ShowPlaying();
    }
    editor.DoModal();
    // The editor may have replaced the pattern and its steps per beat.
    TakePattern();
    SetUserBeatMode(true);
}

void CMetronomeDlg::OnAbout() {
    if (m_about.showAbout)
        m_about.showAbout();
}

void CMetronomeDlg::StoreUserBeatMode() {
    if (CSettings* settings = Settings())
        settings->m_bUserBeatMode = m_engine.IsUserBeatMode() ? 1 : 0;
}

void CMetronomeDlg::OnDestroy() {
    StoreUserBeatMode();
    if (m_engine.IsPlaying())
        StopTicking();
    CDialog::OnDestroy();
}

void CMetronomeDlg::OnEndSession() {
    // Nothing is closed or stopped: should the process live on after all,
    // its close later stores the same again.
    StoreUserBeatMode();
    if (m_pAppData)
        m_pAppData->Save();
}

BOOL CMetronomeDlg::PreTranslateMessage(MSG* msg) {
    if (OnPracticeInput(*msg))
        return TRUE;
    if (msg->message == WM_KEYDOWN) {
        if (IsNavigationKey(msg->wParam)) {
            m_sliderTempo.SendMessage(WM_KEYDOWN, msg->wParam, msg->lParam);
            return TRUE;
        }
        if (m_beatChange.IsOpen())
            CloseBeatChange();
        if (msg->wParam == VK_ESCAPE)
            return TRUE;
    } else if (msg->message == WM_LBUTTONDOWN && m_beatChange.IsOpen()) {
        RECT rc;
        m_beatChange.GetWindowRect(&rc);
        if (!::PtInRect(&rc, msg->pt))
            CloseBeatChange();
    }
    return CDialog::PreTranslateMessage(msg);
}
