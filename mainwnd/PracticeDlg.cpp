#include "mainwnd/PracticeDlg.h"

#include <string>
#include <utility>

#include "bitmap_ids.h"
#include "resource.h"
#include "skin/SkinMath.h"
#include "skin/SkinMessages.h"

namespace {

// The spins are as wide as the editor's, and as tall as their two buttons:
// they stay open.
constexpr int kSpinWidth = 98;
constexpr int kSpinHeight = 54;
constexpr int kSpinGap = 4;
constexpr int kOkFocusInset = 12;

skin::Box ToBox(const RECT& rc) {
    return skin::Box{rc.left, rc.top, rc.right, rc.bottom};
}

} // namespace

const std::array<CPracticeDlg::Row, 8> CPracticeDlg::kRows = {{
    {IDC_PRACTICE_COUNT_IN, &CSettings::m_nCountInBars, practice::kCountInBars},
    {IDC_PRACTICE_MUTE_PLAY, &CSettings::m_nMutePlayBars, practice::kMutePlayBars},
    {IDC_PRACTICE_MUTE_SILENT, &CSettings::m_nMuteSilentBars, practice::kMuteSilentBars},
    {IDC_PRACTICE_MINUTES, &CSettings::m_nPracticeMinutes, practice::kPracticeMinutes},
    {IDC_PRACTICE_TRAINER_STEP, &CSettings::m_nTrainerStepBpm, practice::kTrainerStepBpm},
    {IDC_PRACTICE_TRAINER_EVERY, &CSettings::m_nTrainerEveryBars, practice::kTrainerEveryBars},
    {IDC_PRACTICE_TRAINER_TARGET, &CSettings::m_nTrainerTargetBpm, practice::kTrainerTargetBpm},
    {IDC_PRACTICE_COACH_ON, &CSettings::m_bCoachOn, SettingRange{0, 1, 0}},
}};

CPracticeDlg::CPracticeDlg(CSettings& settings, std::function<void()> changed, CWnd* parent,
                           CTimingCoach* coach)
    : CSkinDialog(IDD_PRACTICE, parent), m_settings(settings), m_changed(std::move(changed)),
      m_pCoach(coach) {}

void CPracticeDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDOK, m_btnOK);
    DDX_Control(dx, IDC_PRACTICE_CALIBRATE, m_btnCalibrate);
    DDX_Control(dx, IDC_PRACTICE_LOG, m_btnLog);
}

BOOL CPracticeDlg::OnInitDialog() {
    CSkinDialog::OnInitDialog();
    // A title for the taskbar and for finding the window; a caption in the
    // template would add a caption bar over the panel.
    ::SetWindowTextA(m_hWnd, kTitle);
    m_bClearStatics = true;
    // No caption: the panel itself moves the window.
    m_bDragBody = true;
    SetKeyColour(kKeyColour);
    SetBitmap(IDB_PRACTICE_PANEL);
    SetShaped(true);
    SetUpFlashButton(m_btnOK, IDB_OK_HOT, IDB_OK_NORMAL, 0, IDB_OK_FLASH);
    m_btnOK.m_nFocusInset = kOkFocusInset;
    SetUpFlashButton(m_btnCalibrate, IDB_CALIBRATE_HOT, IDB_CALIBRATE_NORMAL, 0, IDB_CALIBRATE_FLASH);
    m_btnCalibrate.m_nFocusInset = kOkFocusInset;
    SetUpFlashButton(m_btnLog, IDB_PRACTICE_LOG_HOT, IDB_PRACTICE_LOG_NORMAL, 0, IDB_PRACTICE_LOG_FLASH);
    m_btnLog.m_nFocusInset = kOkFocusInset;
    CreateSpins();
    if (m_pCoach)
        m_pCoach->m_onChange = [this] {
            ShowCoach();
        };
    ShowCoach();
    CentreOverOwner();
    return TRUE;
}

void CPracticeDlg::CreateSpins() {
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        const Row& row = kRows[i];
        RECT label{};
        ::GetWindowRect(GetDlgItem(row.labelId), &label);
        ScreenToClient(&label);
        const int middle = (label.top + label.bottom) / 2;
        RECT home{label.right + kSpinGap, middle - kSpinHeight / 2, label.right + kSpinGap + kSpinWidth,
                  middle - kSpinHeight / 2 + kSpinHeight};
        CValueSpin& spin = m_spins[i];
        spin.Create(home, this, kFirstSpinId + static_cast<UINT>(i));
        spin.m_nMin = row.range.nMin;
        spin.m_nMax = row.range.nMax;
        // A stored value from outside the range shows, and is kept, inside it.
        m_settings.*row.field = row.range.Clamp(m_settings.*row.field);
        spin.SetValue(m_settings.*row.field);
        spin.ShowWindow(SW_SHOW);
    }
}

void CPracticeDlg::CentreOverOwner() {
    RECT window;
    GetWindowRect(&window);
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT over = work;
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (owner && ::IsWindowVisible(owner))
        ::GetWindowRect(owner, &over);
    const skin::Point origin =
        skin::CentredOrigin(window.right - window.left, window.bottom - window.top, ToBox(over), ToBox(work));
    SetWindowPos(nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CPracticeDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PSC_CHANGED_VALUE:
        OnValueChanged(reinterpret_cast<HWND>(wp), static_cast<int>(lp));
        return 0;
    case WM_PSC_NEED_TO_CLOSE_CTRL:
        // The spins stay open.
        return 0;
    default:
        return CSkinDialog::WindowProc(msg, wp, lp);
    }
}

bool CPracticeDlg::OnCommand(UINT id, UINT code) {
    if (code == BN_CLICKED && id == IDC_PRACTICE_CALIBRATE) {
        if (m_pCoach)
            m_pCoach->Calibrate();
        ShowCoach();
        return true;
    }
    if (code == BN_CLICKED && id == IDC_PRACTICE_LOG) {
        CTimingCoach::OpenPracticeLog();
        return true;
    }
    return CSkinDialog::OnCommand(id, code);
}

void CPracticeDlg::OnDestroy() {
    if (m_pCoach)
        m_pCoach->m_onChange = nullptr;
    CSkinDialog::OnDestroy();
}

void CPracticeDlg::ShowCoach() {
    const bool can = m_pCoach && m_pCoach->GetUnavailableReason().empty();
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        if (kRows[i].labelId == IDC_PRACTICE_COACH_ON)
            m_spins[i].EnableWindow(can);
    }
    m_btnCalibrate.EnableWindow(can && !m_pCoach->IsCalibrating() && !m_pCoach->IsInRun());
    std::string state;
    if (!m_pCoach)
        state = "No timing coach";
    else if (!can)
        state = m_pCoach->GetUnavailableReason();
    else if (m_pCoach->IsCalibrating())
        state = "Calibrating...";
    else if (m_pCoach->IsCalibrated())
        state = "Round trip " + std::to_string(m_pCoach->GetLatencyMs()) + " ms";
    else
        state = "Not calibrated";
    // The label is clear: the panel under its old words is painted anew.
    HWND label = GetDlgItem(IDC_PRACTICE_COACH_STATE);
    RECT rc{};
    ::GetWindowRect(label, &rc);
    ScreenToClient(&rc);
    ::SetWindowTextA(label, state.c_str());
    ::RedrawWindow(m_hWnd, &rc, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CPracticeDlg::OnValueChanged(HWND spin, int value) {
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        if (m_spins[i].GetSafeHwnd() != spin)
            continue;
        const Row& row = kRows[i];
        const int clamped = row.range.Clamp(value);
        if (m_settings.*row.field == clamped)
            return;
        m_settings.*row.field = clamped;
        if (m_changed)
            m_changed();
        return;
    }
}
