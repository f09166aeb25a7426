#include "mainwnd/MetronomeDlg.h"

#include "resource.h"

CMetronomeDlg::CMetronomeDlg(CWnd* parent) : CDialog(IDD_METRONOME, parent) {}

LRESULT CMetronomeDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) {
        EndDialog(IDCANCEL);
        return 0;
    }
    return CDialog::WindowProc(msg, wp, lp);
}
