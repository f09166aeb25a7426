#include "mainwnd/MetronomeDlg.h"

#include "app/MetronomeApp.h"
#include "resource.h"

CMetronomeDlg::CMetronomeDlg(CWnd* parent) : CDialog(IDD_METRONOME, parent) {}

LRESULT CMetronomeDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) {
        EndDialog(IDCANCEL);
        return 0;
    }
    // A second copy looking for us.
    if (msg == UWM_ARE_YOU_ME)
        return UWM_ARE_YOU_ME;
    return CDialog::WindowProc(msg, wp, lp);
}
