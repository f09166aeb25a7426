#include "app/MetronomeApp.h"

#include "app/AboutDlg.h"
#include "framework/CommonDialogs.h"
#include "mainwnd/MetronomeDlg.h"

CMetronomeApp::CMetronomeApp() : m_pAppData(std::make_unique<CAppData>()) {}

CMetronomeApp::~CMetronomeApp() = default;

BOOL CMetronomeApp::InitInstance() {
    m_pAppData->Load();
    HANDLE mutex = ::CreateMutexA(nullptr, TRUE, kInstanceMutexName);
    DWORD error = ::GetLastError();
    m_hInstanceMutex.Reset(mutex);
    // Access denied: the mutex exists but belongs to another security context.
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED) {
        ActivateRunningInstance();
        return FALSE;
    }

    CMetronomeDlg dlg(m_pAppData.get(), {ShowAboutDialog, RunStartupSplash});
    m_pMainWnd = &dlg;
    m_bRanMainWindow = true;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

int CMetronomeApp::ExitInstance() {
    // Before the mutex lets a new launch run as the first copy.
    std::string failures = m_pAppData->Save();
    if (!failures.empty() && m_bRanMainWindow)
        AfxMessageBox("Pulsewick could not store everything as it closed.\n\n" + failures,
                      MB_OK | MB_ICONWARNING);
    return CWinApp::ExitInstance();
}

BOOL CALLBACK CMetronomeApp::FindRunningInstance(HWND hwnd, LPARAM found) noexcept {
    DWORD_PTR answer = 0;
    // The time-out and abort-if-hung keep a hung first copy from blocking us.
    if (::SendMessageTimeoutA(hwnd, UWM_ARE_YOU_ME, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, 200, &answer) &&
        answer == UWM_ARE_YOU_ME) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

bool CMetronomeApp::ActivateRunningInstance() {
    HWND found = nullptr;
    ::EnumWindows(FindRunningInstance, reinterpret_cast<LPARAM>(&found));
    if (!found)
        return false;
    ::SetForegroundWindow(found);
    if (::IsIconic(found))
        ::ShowWindow(found, SW_RESTORE);
    return true;
}
