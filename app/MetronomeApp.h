// The application object of Pulsewick: one global instance, alive from static
// initialisation to exit. It owns the data store and hands it to the main
// window, which hands it on; its InitInstance is the program's whole
// interactive life. It touches no file and no key before WinMain or after it:
// the store is loaded in InitInstance and saved in ExitInstance.
#pragma once

#include <memory>

#include "framework/Handle.h"
#include "framework/WinApp.h"
#include "model/AppData.h"

inline constexpr char kInstanceMutexName[] = "Pulsewick 1.0 Is Running";

class CMetronomeApp : public CWinApp {
public:
    CMetronomeApp();
    ~CMetronomeApp() override;

    // Runs the main window unless another copy is running; always false, so
    // the process ends when it returns.
    BOOL InitInstance() override;
    // Saves the data store; tells the user what could not be written.
    int ExitInstance() override;

    // EnumWindows callback: stops at the window that answers UWM_ARE_YOU_ME,
    // storing it in *reinterpret_cast<HWND*>(found).
    static BOOL CALLBACK FindRunningInstance(HWND hwnd, LPARAM found) noexcept;
    // Brings the running copy's main window to the front, restored; false if
    // none answered.
    static bool ActivateRunningInstance();

    std::unique_ptr<CAppData> m_pAppData;

private:
    // Held for the life of the process; a launch meanwhile is a second copy.
    pw::UniqueKernelHandle m_hInstanceMutex;
    // Only a copy that showed its window has anything of the user's to lose.
    bool m_bRanMainWindow = false;
};
