// Periodic or one-shot millisecond callbacks on a thread of the timer's own.
// Owners derive from it beside their window base and override OnTick.
//
// The thread is made at the first Start and lives as long as the timer, asleep
// while no event runs: starting, stopping and every tick cost no thread (the
// platform's multimedia timer under Wine ends its thread whenever no event is
// left, so a chain of one-shot events made a thread per tick), and its waits
// are the process's own, with no round trip to a server.
#pragma once

#include <windows.h>

#include "framework/Handle.h"

// OnTick runs on the timer's thread. Once Stop (or the destructor) has
// returned, no OnTick of this timer is running or will run, whichever thread
// called it; OnTick itself may call Stop or Start. An owner whose OnTick reads
// its own members calls Stop in its own destructor, before they go.
class CTickTimer {
public:
    // Holds the finest timer resolution the device offers for the object's
    // whole life, which the thread's timed waits keep to.
    CTickTimer();
    CTickTimer(const CTickTimer&) = delete;
    CTickTimer& operator=(const CTickTimer&) = delete;
    virtual ~CTickTimer();

    // Starts an event every period milliseconds (once with oneShot), the
    // first a period from now; an event that still runs is replaced. False
    // for a period of 0 or when no thread could be made.
    bool Start(unsigned period, bool oneShot);
    // Ends the event and waits for a callback in progress on another thread.
    // False when no event ran.
    bool Stop();

    // Every event of the timer; nothing in the base class.
    virtual void OnTick() {}

    // The resolution held, in milliseconds; 0 when none was obtained.
    UINT GetResolution() const { return m_nResolution; }
    bool IsRunning() const;

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Run();

    UINT m_nResolution = 0;
    long long m_nFrequency = 1;

    // Guards everything below; the condition wakes the thread for a new event
    // or the end, and a waiting Stop once a tick is over.
    mutable SRWLOCK m_lock = SRWLOCK_INIT;
    CONDITION_VARIABLE m_changed = CONDITION_VARIABLE_INIT;
    bool m_bRunning = false;
    bool m_bOneShot = false;
    bool m_bQuit = false;
    bool m_bInTick = false;
    unsigned m_nPeriod = 0;
    // When the next event is due, on the performance counter.
    long long m_nDue = 0;
    DWORD m_nThreadId = 0;
    pw::UniqueKernelHandle m_hThread;
};
