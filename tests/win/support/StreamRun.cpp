#include "StreamRun.h"

#include <windows.h>

#include <tlhelp32.h>

#include "engine/BeatSequencer.h"

namespace pwtest {

void ClickRun::OnBlock(std::int64_t from, std::int64_t to, unsigned rate) {
    if (!m_schedule.IsValid())
        m_schedule = CSampleSchedule(from + std::int64_t{m_nPeriod} * rate / 1000, m_nPeriod, rate);
    else if (m_schedule.GetRate() != rate)
        m_schedule.ChangeRate(rate);
    for (std::uint64_t n = m_schedule.FirstTickFrom(from); m_schedule.SampleOf(n) < to; ++n) {
        m_stream.Play(n % 4 == 0 ? kAccentSoundId : kClickSoundId, m_schedule.SampleOf(n));
        m_nTicks.store(n + 1);
    }
}

int CountThreads() {
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == ::GetCurrentProcessId() ? 1 : 0;
    ::CloseHandle(snapshot);
    return count;
}

} // namespace pwtest
