#include "engine/TickTimer.h"

#include <mmsystem.h>

namespace {

long long Now() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

class CExclusive {
public:
    explicit CExclusive(SRWLOCK& lock) : m_lock(lock) { ::AcquireSRWLockExclusive(&m_lock); }
    CExclusive(const CExclusive&) = delete;
    CExclusive& operator=(const CExclusive&) = delete;
    ~CExclusive() { ::ReleaseSRWLockExclusive(&m_lock); }

private:
    SRWLOCK& m_lock;
};

} // namespace

CTickTimer::CTickTimer() {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    m_nFrequency = frequency.QuadPart;
    TIMECAPS caps;
    if (::timeGetDevCaps(&caps, sizeof caps) != TIMERR_NOERROR)
        return;
    m_nResolution = caps.wPeriodMax < caps.wPeriodMin ? caps.wPeriodMax : caps.wPeriodMin;
    ::timeBeginPeriod(m_nResolution);
}

CTickTimer::~CTickTimer() {
    Stop();
    if (m_hThread) {
        {
            CExclusive hold(m_lock);
            m_bQuit = true;
        }
        ::WakeAllConditionVariable(&m_changed);
        ::WaitForSingleObject(m_hThread.Get(), INFINITE);
    }
    if (m_nResolution != 0)
        ::timeEndPeriod(m_nResolution);
}

bool CTickTimer::Start(unsigned period, bool oneShot) {
    if (period == 0)
        return false;
    if (!m_hThread) {
        m_hThread.Reset(::CreateThread(nullptr, 0, ThreadMain, this, 0, &m_nThreadId));
        if (!m_hThread)
            return false;
    }
    {
        CExclusive hold(m_lock);
        m_bRunning = true;
        m_bOneShot = oneShot;
        m_nPeriod = period;
        m_nDue = Now() + m_nFrequency * period / 1000;
    }
    ::WakeAllConditionVariable(&m_changed);
    return true;
}

bool CTickTimer::Stop() {
    CExclusive hold(m_lock);
    const bool was = m_bRunning;
    m_bRunning = false;
    // The thread's own tick stopping its timer does not wait for itself.
    if (::GetCurrentThreadId() != m_nThreadId) {
        while (m_bInTick)
            ::SleepConditionVariableSRW(&m_changed, &m_lock, INFINITE, 0);
    }
    return was;
}

bool CTickTimer::IsRunning() const {
    CExclusive hold(m_lock);
    return m_bRunning;
}

DWORD WINAPI CTickTimer::ThreadMain(void* self) {
    // As the platform's multimedia timer: a frame drawn late shows.
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    static_cast<CTickTimer*>(self)->Run();
    return 0;
}

void CTickTimer::Run() {
    CExclusive hold(m_lock);
    while (!m_bQuit) {
        if (!m_bRunning) {
            ::SleepConditionVariableSRW(&m_changed, &m_lock, INFINITE, 0);
            continue;
        }
        const long long now = Now();
        if (now < m_nDue) {
            // Rounded up: a wake a little late is better than one early.
            const auto ms = static_cast<DWORD>(((m_nDue - now) * 1000 + m_nFrequency - 1) / m_nFrequency);
            ::SleepConditionVariableSRW(&m_changed, &m_lock, ms, 0);
            continue;
        }
        if (m_bOneShot) {
            m_bRunning = false;
        } else {
            // Events the thread was held up past are dropped, not made up in
            // a burst; the rest keep their phase.
            const long long step = m_nFrequency * m_nPeriod / 1000;
            m_nDue += step;
            if (m_nDue <= now && step > 0)
                m_nDue += (now - m_nDue) / step * step + step;
        }
        m_bInTick = true;
        ::ReleaseSRWLockExclusive(&m_lock);
        // Nothing may unwind out of the thread.
        try {
            OnTick();
        } catch (...) {
        }
        ::AcquireSRWLockExclusive(&m_lock);
        m_bInTick = false;
        ::WakeAllConditionVariable(&m_changed);
    }
}
