// The main metronome window.
#pragma once

#include "framework/Dialog.h"

class CMetronomeDlg : public CDialog {
public:
    explicit CMetronomeDlg(CWnd* parent = nullptr);

protected:
    // Enter and Escape never close the metronome; only WM_CLOSE does.
    void OnOK() override {}
    void OnCancel() override {}
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
};
