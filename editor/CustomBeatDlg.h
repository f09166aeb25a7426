// The Custom Beat Setting dialog: edits a copy of the current custom beat with
// the instrument toolbar, the grid and the two number spins; previews it,
// opens and saves pattern files, and stores it on OK.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>

#include "bitmap_ids.h"
#include "editor/BeatGrid.h"
#include "editor/BeatToolBar.h"
#include "engine/LeadTicks.h"
#include "framework/CommonDialogs.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "skin/SkinButton.h"
#include "skin/ValueSpin.h"

class CAppData;
class CSoundBank;

// The preview runs on the output stream's clock: its render thread announces
// each step ahead and again as it is mixed, and only posts; the window thread
// reads the step's cells, places their sounds at the step's sample and moves
// the highlight.
class CCustomBeatDlg : public CDialog, private CLeadTicks::IReceiver {
public:
    // The children the dialog makes itself; the rest come from its template.
    static constexpr UINT kToolBarId = 12;
    static constexpr UINT kGridId = 13;
    static constexpr UINT kStepsSpinId = 14;
    static constexpr UINT kStepsPerBeatSpinId = 15;
    static constexpr UINT kPreviewMilliseconds = 150;
    // How long before its block is mixed a step is handed to the window
    // thread, which has that long to place its sounds on time.
    static constexpr UINT kPreviewLeadMilliseconds = 80;
    static constexpr UINT kFrameBitmapId = IDB_EDITOR_FRAME;

    // Edits the pattern of the data store and stores there; without a store
    // the dialog ends at once. The preview plays through the main window's
    // sound bank, the toolbar into the bank's stream. Pattern files are
    // chosen with `files`.
    CCustomBeatDlg(CAppData* data, CSoundBank& bank, CWnd* parent = nullptr,
                   CFileDialog::IChooser& files = CFileDialog::SystemChooser());
    ~CCustomBeatDlg() override;

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
    // A step is due at this sample of the stream: its sounds are placed there.
    void OnPreviewTick(WPARAM run, std::int64_t sample);
    // The block with that sample is being mixed: the highlight moves to it.
    void OnPreviewShow(WPARAM run, std::int64_t sample);
    void OnPlay();
    void OnStop();
    void OnClean();
    void OnOpenFile();
    void OnSaveFile();

    // The store the dialog starts from and writes back to.
    CAppData* const m_pAppData;
    CSoundBank& m_soundBank;
    CFileDialog::IChooser& m_files;
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

private:
    // On the render thread: they post.
    void OnTickAhead(std::int64_t sample) override;
    void OnTickMixed(std::int64_t sample) override;

    CLeadTicks m_previewTicks{*this};
    // The render thread only posts; a step still queued is not posted again,
    // so a busy window thread drops steps instead of catching up in a burst.
    std::atomic<bool> m_bTickPending{false};
    // Numbers each preview run, so that a step posted before a stop is not
    // played by the next run.
    std::atomic<unsigned> m_nPreviewRun{0};
    // The steps placed and not shown yet, by their samples.
    struct PlacedStep {
        std::int64_t nSample = kAsSoonAsPossible;
        int nStep = 0;
    };
    std::array<PlacedStep, 4> m_placed{};
    std::size_t m_nPlaced = 0;
};
