#include "mainwnd/PracticeDlg.h"

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

const std::array<CPracticeDlg::Row, 7> CPracticeDlg::kRows = {{
    {IDC_PRACTICE_COUNT_IN, &CSettings::m_nCountInBars, practice::kCountInBars},
    {IDC_PRACTICE_MUTE_PLAY, &CSettings::m_nMutePlayBars, practice::kMutePlayBars},
    {IDC_PRACTICE_MUTE_SILENT, &CSettings::m_nMuteSilentBars, practice::kMuteSilentBars},
    {IDC_PRACTICE_MINUTES, &CSettings::m_nPracticeMinutes, practice::kPracticeMinutes},
    {IDC_PRACTICE_TRAINER_STEP, &CSettings::m_nTrainerStepBpm, practice::kTrainerStepBpm},
    {IDC_PRACTICE_TRAINER_EVERY, &CSettings::m_nTrainerEveryBars, practice::kTrainerEveryBars},
    {IDC_PRACTICE_TRAINER_TARGET, &CSettings::m_nTrainerTargetBpm, practice::kTrainerTargetBpm},
}};

CPracticeDlg::CPracticeDlg(CSettings& settings, std::function<void()> changed, CWnd* parent)
    : CSkinDialog(IDD_PRACTICE, parent), m_settings(settings), m_changed(std::move(changed)) {}

void CPracticeDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDOK, m_btnOK);
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
    CreateSpins();
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
