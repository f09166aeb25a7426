// Answers the dialogs and message boxes a test opens on its own thread: they
// run modal loops of their own, which dispatch the answerer's thread timer.
#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>

namespace pwtest {

// Hands every dialog or message box of this thread that is shown and enabled
// after it is made to the handler, which says whether it is done with the
// window; until then the window is offered again on the next tick.
class ModalAnswerer {
public:
    explicit ModalAnswerer(std::function<bool(HWND)> handler, UINT period = 30);
    ModalAnswerer(const ModalAnswerer&) = delete;
    ModalAnswerer& operator=(const ModalAnswerer&) = delete;
    ~ModalAnswerer();

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    static BOOL CALLBACK OnWindow(HWND hwnd, LPARAM self);

    static inline ModalAnswerer* s_pCurrent = nullptr;
    std::function<bool(HWND)> m_handler;
    // Windows done with, and those whose handler runs (it may run a loop).
    std::set<HWND> m_done;
    std::set<HWND> m_active;
    ModalAnswerer* m_pPrevious;
    UINT_PTR m_nTimer = 0;
};

// What a message box says: the texts of its static controls.
std::string MessageText(HWND box);

} // namespace pwtest
