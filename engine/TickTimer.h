// Periodic millisecond callbacks from the platform's multimedia timer. Owners
// derive from it beside their window base and override OnTick.
#pragma once

#include <windows.h>

#include <atomic>

// OnTick runs on the multimedia timer thread. Once Stop (or the destructor)
// has returned, no OnTick of this timer is running or will run, whichever
// thread called it; OnTick itself may call Stop. An owner whose OnTick reads
// its own members calls Stop in its own destructor, before they go.
class CTickTimer {
public:
    // Holds the finest timer resolution the device offers for the object's
    // whole life.
    CTickTimer();
    CTickTimer(const CTickTimer&) = delete;
    CTickTimer& operator=(const CTickTimer&) = delete;
    virtual ~CTickTimer();

    // Starts an event every period milliseconds (once with oneShot); an event
    // that still runs is ended first, so none is ever left unreachable. False
    // when the platform refuses.
    bool Start(unsigned period, bool oneShot);
    // Ends the event and waits for a callback in progress on another thread.
    // False when no event ran or the platform refused.
    bool Stop();

    // Every event of the timer; nothing in the base class.
    virtual void OnTick() {}

    // The resolution held, in milliseconds; 0 when none was obtained.
    UINT GetResolution() const { return m_nResolution; }
    bool IsRunning() const;

private:
    static void CALLBACK TimerCallback(UINT timerId, UINT msg, DWORD_PTR user, DWORD_PTR, DWORD_PTR);

    UINT m_nResolution = 0;
    // The event id, 0 when none runs; OnTick may stop its own timer, so both
    // threads touch it.
    std::atomic<UINT> m_nTimerId{0};
    // This timer's entry in the callback table; see TickTimer.cpp.
    unsigned m_nSlot;
};
