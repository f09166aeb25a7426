// When to try, and how often, to open the one sound device that all voices
// share.
#pragma once

#include <functional>

enum class DeviceOutcome {
    Created,
    // Another program holds the device; it may come free.
    Held,
    // No driver, or any other failure: waiting does not help.
    Failed,
};

// A device held by another program is tried again for a while; a device that
// is missing is not. Loads are grouped into passes (all the sounds loaded at
// start-up form one): once opening has failed in a pass, the rest of the pass
// does not try again, so a machine without sound starts at once and runs
// silent. Outside any pass every open is a pass of its own.
class CDeviceOpening {
public:
    static constexpr int kAttempts = 10;
    static constexpr unsigned kRetryMs = 500;

    void BeginPass();
    void EndPass();
    // Calls attempt until the device is created, a failure that waiting cannot
    // mend, or kAttempts; wait(kRetryMs) comes before every attempt but the
    // first. True when the device was created.
    bool Open(const std::function<DeviceOutcome()>& attempt, const std::function<void(unsigned)>& wait);

private:
    int m_nOpenPasses = 0;
    bool m_bPassFailed = false;
};
