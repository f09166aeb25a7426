// A top-level window that stands in for the parent of the controls under
// test: it records the messages it is asked to watch for, when they came, and
// answers them as told.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <vector>

#include "framework/Wnd.h"

namespace pwtest {

struct Received {
    UINT msg;
    WPARAM wp;
    LPARAM lp;
    std::chrono::steady_clock::time_point when;
};

// Its background and its static controls' are white.
class RecordingParent : public CWnd {
public:
    std::vector<UINT> watched;
    std::vector<Received> received;
    // Called with each watched message as it comes; what it returns answers
    // the message. Without it the answer is 0.
    std::function<LRESULT(const Received&)> onReceived;

    // A visible window at rect (screen coordinates).
    bool Create(const RECT& rect = RECT{40, 40, 460, 240},
                DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN);
    // The watched messages of this kind, in order.
    std::vector<Received> All(UINT msg) const;
    int Count(UINT msg) const;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

} // namespace pwtest
