// The application object: exactly one per program, constructed statically.
#pragma once

#include <windows.h>

class CWnd;

class CWinApp {
public:
    CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    // The program's whole work happens here; false ends the run without a
    // message loop of the application's own.
    virtual BOOL InitInstance();
    // The exit code of the process.
    virtual int ExitInstance();
    // The application's message loop, entered when InitInstance returns true.
    virtual int Run();

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
    int m_nExitCode = 0;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();

// The program's entry point calls this with the arguments of WinMain.
int AfxWinMain(HINSTANCE instance);
