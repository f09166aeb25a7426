#include "app/MetronomeApp.h"

#include "mainwnd/MetronomeDlg.h"

CMetronomeApp::~CMetronomeApp() = default;

BOOL CMetronomeApp::InitInstance() {
    CMetronomeDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
