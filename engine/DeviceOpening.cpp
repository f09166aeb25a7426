#include "engine/DeviceOpening.h"

void CDeviceOpening::BeginPass() {
    if (m_nOpenPasses++ == 0)
        m_bPassFailed = false;
}

void CDeviceOpening::EndPass() {
    if (m_nOpenPasses > 0 && --m_nOpenPasses == 0)
        m_bPassFailed = false;
}

bool CDeviceOpening::Open(const std::function<DeviceOutcome()>& attempt,
                          const std::function<void(unsigned)>& wait) {
    if (m_bPassFailed)
        return false;
    DeviceOutcome outcome = DeviceOutcome::Failed;
    for (int i = 0; i < kAttempts; ++i) {
        if (i > 0)
            wait(kRetryMs);
        outcome = attempt();
        if (outcome != DeviceOutcome::Held)
            break;
    }
    if (outcome == DeviceOutcome::Created)
        return true;
    m_bPassFailed = m_nOpenPasses > 0;
    return false;
}
