#include "editor/CustomBeatDlg.h"

#include <algorithm>
#include <string>

#include "bitmap_ids.h"
#include "editor/CleanConfirmDlg.h"
#include "editor/EditorMessages.h"
#include "engine/SoundBank.h"
#include "framework/CommonDialogs.h"
#include "model/AppData.h"
#include "resource.h"

namespace {

constexpr char kPatternFilter[] = "Pulsewick Files(*.pwk)|*.pwk|All Files|*.*||";
constexpr char kSaveTitle[] = "File Save";
constexpr char kOpenTitle[] = "File Open";
constexpr char kSaveFailed[] = "File Save Failed!!!";
constexpr char kOpenFailed[] = "File Open Failed!!!";
constexpr char kPatternExtension[] = ".PWK";

// The spins are a little wider than the buttons they open over.
constexpr int kSpinExtraWidth = 6;

struct ButtonSkin {
    CFlashButton CCustomBeatDlg::*button;
    UINT hot;
    UINT normal;
    UINT flash;
    int focusInset;
};

// A saved file gets the pattern extension when its name has none; a dot in a
// folder name does not count.
std::string WithPatternExtension(std::string path) {
    size_t nameStart = path.find_last_of("\\/");
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    if (path.find('.', nameStart) == std::string::npos)
        path += kPatternExtension;
    return path;
}

} // namespace

CCustomBeatDlg::CCustomBeatDlg(CAppData* data, CSoundBank& bank, CWnd* parent, CFileDialog::IChooser& files)
    : CDialog(IDD_CUSTOM_BEAT, parent), m_pAppData(data), m_soundBank(bank), m_files(files),
      m_toolBar(bank.GetStream()) {}

// The posts carry a sample of the stream.
static_assert(sizeof(LPARAM) == sizeof(std::int64_t), "a sample fits the message");

CCustomBeatDlg::~CCustomBeatDlg() {
    // The preview's run reads this object's members: it may not outlive them.
    m_soundBank.GetStream().StopRun(&m_previewTicks);
}

void CCustomBeatDlg::OnTickAhead(std::int64_t sample) {
    if (!m_bTickPending.exchange(true))
        ::PostMessageA(m_hWnd, WM_CB_PREVIEW_TICK, m_nPreviewRun.load(), static_cast<LPARAM>(sample));
}

void CCustomBeatDlg::OnTickMixed(std::int64_t sample) {
    ::PostMessageA(m_hWnd, WM_CB_PREVIEW_SHOW, m_nPreviewRun.load(), static_cast<LPARAM>(sample));
}

void CCustomBeatDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDOK, m_btnOK);
    DDX_Control(dx, IDCANCEL, m_btnCancel);
    DDX_Control(dx, IDC_CB_SOUND_ON, m_btnSoundOn);
    DDX_Control(dx, IDC_CB_SOUND_OFF, m_btnSoundOff);
    DDX_Control(dx, IDC_CB_CLEAN, m_btnClean);
    DDX_Control(dx, IDC_CB_STEPS, m_btnSteps);
    DDX_Control(dx, IDC_CB_STEPS_PER_BEAT, m_btnStepsPerBeat);
    DDX_Control(dx, IDC_CB_OPEN, m_btnOpen);
    DDX_Control(dx, IDC_CB_SAVE, m_btnSave);
    DDX_Control(dx, IDC_CB_PLAY, m_btnPlay);
    DDX_Control(dx, IDC_CB_STOP, m_btnStop);
}

BOOL CCustomBeatDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // Without a data store there is nothing to edit.
    if (!m_pAppData) {
        EndDialog(IDABORT);
        return FALSE;
    }
    m_brushBack.CreateSolidBrush(RGB(255, 255, 255));
    m_bmpFrame.LoadBitmap(kFrameBitmapId);

    m_toolBar.Create(ControlRect(IDC_CB_TOOLBAR_AREA), this, kToolBarId);
    m_grid.Create(kGridId, this, ControlRect(IDC_CB_GRID_AREA));

    const CCustomBeat& current = *m_pAppData->m_pCustomBeat;
    m_grid.SetPattern(current);
    m_grid.SetStepsPerBeat(current.m_nStepsPerBeat);

    m_toolBar.SetCurSel(m_pAppData->m_nToolIndex);
    SetUpButtons();
    SetToolbarSound(m_pAppData->m_pSettings->m_bToolbarSound != 0);

    CreateSpin(m_spinSteps, m_btnSteps, kStepsSpinId, kMaxStepCount, kMinStepCount,
               m_grid.GetState().m_nStepCount);
    CreateSpin(m_spinStepsPerBeat, m_btnStepsPerBeat, kStepsPerBeatSpinId, kMaxStepsPerBeat, kMinStepsPerBeat,
               m_grid.GetState().m_nStepsPerBeat);
    return TRUE;
}

RECT CCustomBeatDlg::ControlRect(int id) const {
    RECT rc{};
    ::GetWindowRect(GetDlgItem(id), &rc);
    ScreenToClient(&rc);
    return rc;
}

void CCustomBeatDlg::SetUpButtons() {
    static constexpr ButtonSkin kSkins[] = {
        // The sound-off button flashes with the sound-on button's image.
        {&CCustomBeatDlg::m_btnSoundOff, IDB_SOUND_OFF_HOT, IDB_SOUND_OFF_NORMAL, IDB_SOUND_ON_FLASH, 8},
        {&CCustomBeatDlg::m_btnSoundOn, IDB_SOUND_ON_HOT, IDB_SOUND_ON_NORMAL, IDB_SOUND_ON_FLASH, 8},
        {&CCustomBeatDlg::m_btnOK, IDB_OK_HOT, IDB_OK_NORMAL, IDB_OK_FLASH, 12},
        {&CCustomBeatDlg::m_btnCancel, IDB_CANCEL_HOT, IDB_CANCEL_NORMAL, IDB_CANCEL_FLASH, 12},
        {&CCustomBeatDlg::m_btnClean, IDB_CLEAN_HOT, IDB_CLEAN_NORMAL, IDB_CLEAN_FLASH, 9},
        {&CCustomBeatDlg::m_btnSteps, IDB_STEPS_HOT, IDB_STEPS_NORMAL, IDB_STEPS_FLASH, 9},
        {&CCustomBeatDlg::m_btnStepsPerBeat, IDB_BEAT_HOT, IDB_BEAT_NORMAL, IDB_BEAT_FLASH, 9},
        {&CCustomBeatDlg::m_btnOpen, IDB_OPEN_HOT, IDB_OPEN_NORMAL, IDB_OPEN_FLASH, 9},
        {&CCustomBeatDlg::m_btnSave, IDB_SAVE_HOT, IDB_SAVE_NORMAL, IDB_SAVE_FLASH, 9},
        {&CCustomBeatDlg::m_btnStop, IDB_PREVIEW_STOP_HOT, IDB_PREVIEW_STOP_NORMAL, IDB_PREVIEW_STOP_FLASH,
         9},
        {&CCustomBeatDlg::m_btnPlay, IDB_PLAY_HOT, IDB_PLAY_NORMAL, IDB_PLAY_FLASH, 9},
    };
    for (const ButtonSkin& skin : kSkins) {
        CFlashButton& button = this->*skin.button;
        SetUpFlashButton(button, skin.hot, skin.normal, 0, skin.flash);
        button.m_nFocusInset = skin.focusInset;
    }
}

void CCustomBeatDlg::SetToolbarSound(bool on) {
    m_toolBar.m_bSoundOn = on ? 1 : 0;
    CFlashButton& shown = on ? m_btnSoundOn : m_btnSoundOff;
    CFlashButton& hidden = on ? m_btnSoundOff : m_btnSoundOn;
    hidden.ShowWindow(SW_HIDE);
    shown.ShowWindow(SW_SHOW);
    shown.SetFocus();
}

void CCustomBeatDlg::CreateSpin(CValueSpin& spin, CWnd& button, UINT id, int maximum, int minimum,
                                int value) {
    RECT home = ControlRect(button.GetDlgCtrlID());
    home.right += kSpinExtraWidth;
    spin.Create(home, this, id);
    spin.m_nMax = maximum;
    spin.m_nMin = minimum;
    spin.SetValue(value);
}

void CCustomBeatDlg::OpenSpin(CValueSpin& spin, CWnd& button, int value) {
    button.ShowWindow(SW_HIDE);
    spin.SetValue(value);
    spin.Open();
}

void CCustomBeatDlg::CloseSpin(CValueSpin& spin) {
    spin.Close();
    CFlashButton& button = &spin == &m_spinSteps ? m_btnSteps : m_btnStepsPerBeat;
    button.ShowWindow(SW_SHOW);
    // The button lies under the shrinking spin: drawn first, so that the spin
    // stays whole over it until it is gone.
    button.UpdateWindow();
    spin.DrawNow();
}

void CCustomBeatDlg::StoreToolSettings() {
    m_pAppData->m_pSettings->m_bToolbarSound = m_toolBar.m_bSoundOn ? 1 : 0;
    m_pAppData->m_nToolIndex = m_toolBar.GetCurSel();
}

void CCustomBeatDlg::OnOK() {
    *m_pAppData->m_pCustomBeat = m_grid.GetPattern();
    StoreToolSettings();
    // At once, not only at exit: a crash or a kill after OK loses nothing.
    // Should that fail, the beat stays in the editor to be saved elsewhere.
    std::string failure = m_pAppData->SaveDataFile();
    if (!failure.empty()) {
        AfxMessageBox(failure + "\n\nThe beat plays until Pulsewick closes and stays here in the editor: "
                                "keep it in a pattern file with Save.",
                      MB_OK | MB_ICONWARNING);
        return;
    }
    EndDialog(IDOK);
}

void CCustomBeatDlg::OnCancel() {
    StoreToolSettings();
    EndDialog(IDCANCEL);
}

void CCustomBeatDlg::StartPreview() {
    m_grid.SetPlaying(true);
    m_bPreviewing = 1;
    ++m_nPreviewRun;
    m_bTickPending = false;
    m_placed.fill({});
    m_previewTicks.Reset(kPreviewMilliseconds, kPreviewLeadMilliseconds);
    m_soundBank.GetStream().StartRun(&m_previewTicks);
}

void CCustomBeatDlg::StopPreview() {
    m_bPreviewing = 0;
    m_soundBank.GetStream().StopRun(&m_previewTicks);
    m_grid.ClearHighlight();
    m_grid.SetPlaying(false);
    m_nPreviewStep = 0;
}

void CCustomBeatDlg::OnPreviewTick(WPARAM run, std::int64_t sample) {
    m_bTickPending = false;
    if (!m_bPreviewing || run != m_nPreviewRun.load())
        return;
    if (static_cast<unsigned>(m_nPreviewStep) >= static_cast<unsigned>(m_grid.GetState().m_nStepCount))
        m_nPreviewStep = 0;
    CBeatTrack cells = m_grid.GetStepCells(m_nPreviewStep);
    // One sound per track column of the grid, played together.
    int ids[kPatternTrackCount] = {};
    for (int i = 0; i < kPatternTrackCount && i < cells.GetCellCount(); ++i)
        ids[i] = cells.GetCell(i).m_nSoundId;
    m_soundBank.PlaySounds(ids, kPatternTrackCount, sample);
    m_placed[m_nPlaced++ % m_placed.size()] = {sample, m_nPreviewStep};
    ++m_nPreviewStep;
}

void CCustomBeatDlg::OnPreviewShow(WPARAM run, std::int64_t sample) {
    if (!m_bPreviewing || run != m_nPreviewRun.load())
        return;
    // A step the window thread was too busy to place is not shown either.
    for (const PlacedStep& placed : m_placed) {
        if (placed.nSample == sample)
            m_grid.SetHighlight(placed.nStep);
    }
}

void CCustomBeatDlg::OnPlay() {
    m_btnPlay.ShowWindow(SW_HIDE);
    m_btnStop.ShowWindow(SW_SHOW);
    m_btnStop.SetFocus();
    StartPreview();
}

void CCustomBeatDlg::OnStop() {
    m_btnStop.ShowWindow(SW_HIDE);
    m_btnPlay.ShowWindow(SW_SHOW);
    m_btnPlay.SetFocus();
    StopPreview();
}

void CCustomBeatDlg::OnClean() {
    CSettings& settings = *m_pAppData->m_pSettings;
    // The left Shift key brings the question back after it was switched off.
    bool forced = (::GetKeyState(VK_LSHIFT) & 0x8000) != 0;
    if (!forced && !settings.m_bShowCleanConfirm) {
        m_grid.Clear();
        return;
    }
    CCleanConfirmDlg confirm(this);
    ::GetCursorPos(&confirm.m_ptAnchor);
    confirm.m_bShowAgain = settings.m_bShowCleanConfirm ? 1 : 0;
    INT_PTR answer = confirm.DoModal();
    settings.m_bShowCleanConfirm = confirm.m_bShowAgain ? 1 : 0;
    if (answer == IDOK)
        m_grid.Clear();
}

void CCustomBeatDlg::OnOpenFile() {
    CFileDialog dialog(true, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kPatternFilter, this);
    dialog.SetTitle(kOpenTitle);
    if (dialog.DoModal(m_files) != IDOK)
        return;
    CCustomBeat pattern;
    if (CAppData::ReadPatternFile(dialog.GetPathName(), pattern))
        m_grid.SetPattern(pattern);
    else
        AfxMessageBox(kOpenFailed, MB_OK);
    // Restarting plays the opened pattern from its first step.
    if (m_bPreviewing) {
        StopPreview();
        StartPreview();
    }
}

void CCustomBeatDlg::OnSaveFile() {
    CFileDialog dialog(false, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kPatternFilter, this);
    dialog.SetTitle(kSaveTitle);
    if (dialog.DoModal(m_files) != IDOK)
        return;
    std::string chosen = dialog.GetPathName();
    std::string path = WithPatternExtension(chosen);
    // The save dialog asked about the name as typed; an appended extension can
    // name another file, which must not be replaced without asking too.
    if (path != chosen && IsFile(path)) {
        std::string question = path + " already exists.\nDo you want to replace it?";
        if (AfxMessageBox(question.c_str(), MB_YESNO | MB_ICONWARNING) != IDYES)
            return;
    }
    if (!CAppData::WritePatternFile(m_grid.GetPattern(), path)) {
        DWORD error = ::GetLastError();
        AfxMessageBox(std::string(kSaveFailed) + "\n\n" + WriteFailure("The pattern", path, error), MB_OK);
    }
}

void CCustomBeatDlg::OnPaint(HDC dc) {
    if (!m_bmpFrame)
        return;
    RECT frame = ControlRect(IDC_CB_FRAME_AREA);
    SIZE size = m_bmpFrame.GetSize();
    CMemDC mem(dc);
    CSelectObject select(mem, m_bmpFrame);
    ::BitBlt(dc, frame.left, frame.top, std::min<LONG>(frame.right - frame.left, size.cx),
             std::min<LONG>(frame.bottom - frame.top, size.cy), mem, 0, 0, SRCCOPY);
}

HBRUSH CCustomBeatDlg::OnCtlColor(HDC dc, HWND, UINT) {
    ::SetBkMode(dc, OPAQUE);
    return m_brushBack;
}

bool CCustomBeatDlg::OnCommand(UINT id, UINT code) {
    if (code != BN_CLICKED)
        return CDialog::OnCommand(id, code);
    switch (id) {
    case IDC_CB_PLAY:
        OnPlay();
        return true;
    case IDC_CB_STOP:
        OnStop();
        return true;
    case IDC_CB_SOUND_ON:
        SetToolbarSound(false);
        return true;
    case IDC_CB_SOUND_OFF:
        SetToolbarSound(true);
        return true;
    case IDC_CB_STEPS:
        OpenSpin(m_spinSteps, m_btnSteps, m_grid.GetState().m_nStepCount);
        return true;
    case IDC_CB_STEPS_PER_BEAT:
        OpenSpin(m_spinStepsPerBeat, m_btnStepsPerBeat, m_grid.GetState().m_nStepsPerBeat);
        return true;
    case IDC_CB_CLEAN:
        OnClean();
        return true;
    case IDC_CB_OPEN:
        OnOpenFile();
        return true;
    case IDC_CB_SAVE:
        OnSaveFile();
        return true;
    default:
        return CDialog::OnCommand(id, code);
    }
}

void CCustomBeatDlg::OnDestroy() {
    // Before the grid goes: no step may reach it afterwards.
    m_bPreviewing = 0;
    m_soundBank.GetStream().StopRun(&m_previewTicks);
    CDialog::OnDestroy();
}

BOOL CCustomBeatDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN) {
        for (CValueSpin* spin : {&m_spinSteps, &m_spinStepsPerBeat})
            if (spin->IsOpen())
                CloseSpin(*spin);
        int index = ToolIndexForKey(static_cast<unsigned>(msg->wParam & 0xFF));
        if (index >= 0) {
            m_toolBar.SetCurSel(index);
            m_grid.RefreshHover();
            return TRUE;
        }
    } else if (msg->message == WM_LBUTTONDOWN) {
        POINT cursor;
        ::GetCursorPos(&cursor);
        for (CValueSpin* spin : {&m_spinSteps, &m_spinStepsPerBeat}) {
            RECT rc;
            spin->GetWindowRect(&rc);
            if (spin->IsOpen() && !::PtInRect(&rc, cursor))
                CloseSpin(*spin);
        }
    }
    return CDialog::PreTranslateMessage(msg);
}

LRESULT CCustomBeatDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CB_PREVIEW_TICK:
        OnPreviewTick(wp, static_cast<std::int64_t>(lp));
        return 0;
    case WM_CB_PREVIEW_SHOW:
        OnPreviewShow(wp, static_cast<std::int64_t>(lp));
        return 0;
    case WM_CBTOOLBAR_ITEM_CHANGED:
        m_grid.SetTool(ToolFromItem(static_cast<int>(wp), static_cast<int>(lp)));
        return 0;
    case WM_PSC_NEED_TO_CLOSE_CTRL: {
        HWND spin = reinterpret_cast<HWND>(wp);
        if (spin == m_spinSteps.GetSafeHwnd())
            CloseSpin(m_spinSteps);
        else if (spin == m_spinStepsPerBeat.GetSafeHwnd())
            CloseSpin(m_spinStepsPerBeat);
        return 0;
    }
    case WM_PSC_CHANGED_VALUE: {
        HWND spin = reinterpret_cast<HWND>(wp);
        if (spin == m_spinSteps.GetSafeHwnd())
            m_grid.SetStepCount(static_cast<int>(lp));
        else if (spin == m_spinStepsPerBeat.GetSafeHwnd())
            m_grid.SetStepsPerBeat(static_cast<int>(lp));
        return 0;
    }
    case WM_CCBLBALC_CLICKED_BUTTON:
        m_nPreviewStep = static_cast<int>(lp);
        return 0;
    case WM_ENDSESSION:
        // The session really ends, and Windows may end the process before
        // the main window hears of it: the editor counts as cancelled, and
        // everything is stored now.
        if (wp && m_pAppData) {
            StoreToolSettings();
            m_pAppData->Save();
        }
        return 0;
    default:
        break;
    }
    return CDialog::WindowProc(msg, wp, lp);
}
