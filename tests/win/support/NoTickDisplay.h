// A tick display that shows nothing, for runs of the engine without a window.
// Needs no Win32: the native tests use it too.
#pragma once

#include <chrono>

#include "engine/TickInterfaces.h"

namespace pwtest {

class NoTickDisplay : public ITickDisplay {
public:
    void SetTempo(unsigned) override {}
    void SetTickBeat(unsigned, unsigned) override {}
    void StartSwing(std::chrono::steady_clock::time_point) override {}
    void StopSwing() override {}
};

} // namespace pwtest
