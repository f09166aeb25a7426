// The Custom Beat Setting dialog: edits a copy of the current custom beat with
// the instrument toolbar, the grid and the two number spins; previews it,
// opens and saves pattern files, and stores it on OK.
#pragma once

#include <windows.h>

#include <atomic>

#include "bitmap_ids.h"
#include "editor/BeatGrid.h"
#include "editor/BeatToolBar.h"
#include "engine/TickTimer.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "skin/SkinButton.h"
#include "skin/ValueSpin.h"

class CAppData;
class CSoundBank;

class CCustomBeatDlg : public CDialog, public CTickTimer {
public:
    // The children the dialog makes itself; the rest come from its template.
    static constexpr UINT kToolBarId = 12;
    static constexpr UINT kGridId = 13;
    static constexpr UINT kStepsSpinId = 14;
    static constexpr UINT kStepsPerBeatSpinId = 15;
    static constexpr UINT kPreviewMilliseconds = 150;
    static constexpr UINT kFrameBitmapId = IDB_EDITOR_FRAME;

    // Edits the pattern of the data store and stores there; without a store
    // the dialog ends at once.
    explicit CCustomBeatDlg(CAppData* data, CWnd* parent = nullptr);
    ~CCustomBeatDlg() override;

    // The preview's step, on the timer thread: hands it to the window thread.
    void OnTick() override;

    // The main window's sound bank, which plays the preview; may stay null.
    CSoundBank* m_pSoundBank = nullptr;

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnPaint(HDC dc) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT type) override;
    bool OnCommand(UINT id, UINT code) override;
    void OnDestroy() override;

    // A template control's rectangle in client coordinates.
    RECT ControlRect(int id) const;
    void SetUpButtons();
    void SetToolbarSound(bool on);
    // Closes the spin and shows its button again.
    void CloseSpin(CValueSpin& spin);
    void OpenSpin(CValueSpin& spin, CWnd& button, int value);
    void CreateSpin(CValueSpin& spin, CWnd& button, UINT id, int maximum, int minimum, int value);
    // The tool index and the toolbar sound, kept on OK and on Cancel alike.
    void StoreToolSettings();

    void StartPreview();
    void StopPreview();
    void OnPreviewTick(WPARAM run);
    void OnPlay();
    void OnStop();
    void OnClean();
    void OnOpenFile();
    void OnSaveFile();

    // The store the dialog starts from and writes back to.
    CAppData* const m_pAppData;
    int m_nPreviewStep = 0;
    int m_bPreviewing = 0;
    CBrush m_brushBack;
    CBeatToolBar m_toolBar;
    CBeatGrid m_grid;
    CValueSpin m_spinSteps;
    CValueSpin m_spinStepsPerBeat;
    CFlashButton m_btnOK;
    CFlashButton m_btnCancel;
    CFlashButton m_btnSoundOn;
    CFlashButton m_btnSoundOff;
    CFlashButton m_btnClean;
    CFlashButton m_btnSteps;
    CFlashButton m_btnStepsPerBeat;
    CFlashButton m_btnOpen;
    CFlashButton m_btnSave;
    CFlashButton m_btnPlay;
    CFlashButton m_btnStop;
    CBitmap m_bmpFrame;

    // The tick thread only posts; a tick still queued is not posted again, so
    // a busy window thread drops ticks instead of catching up in a burst.
    std::atomic<bool> m_bTickPending{false};
    // Numbers each preview run, so that a tick posted before a stop is not
    // played by the next run.
    std::atomic<unsigned> m_nPreviewRun{0};
};
