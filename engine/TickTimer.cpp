#include "engine/TickTimer.h"

#include <cstdint>
#include <mmsystem.h>

namespace {

// The platform may deliver a callback of an event that is being killed while
// its owner is already gone, so the user word of an event never points at the
// owner: it names an entry of this static table and a serial number of the
// Start that made the event. A callback reaches the owner only while that
// Start's serial is live, and Stop waits until no callback is inside the
// entry, so nothing of the owner is touched after Stop returns.
struct Slot {
    std::atomic<bool> bClaimed{false};
    std::atomic<CTickTimer*> pOwner{nullptr};
    // The serial of the running event; 0 when none.
    std::atomic<std::uint64_t> nSerial{0};
    // Callbacks inside this entry right now.
    std::atomic<unsigned> nBusy{0};
    // The thread running this entry's OnTick, so that OnTick can stop its own
    // timer without waiting for itself.
    std::atomic<DWORD> nTickThread{0};
};

constexpr unsigned kSlotCount = 64;
constexpr unsigned kNoSlot = kSlotCount;
Slot g_slots[kSlotCount];
std::atomic<std::uint64_t> g_nLastSerial{0};

static_assert(sizeof(DWORD_PTR) == sizeof(std::uint64_t), "the user word carries a 64-bit serial");

unsigned ClaimSlot(CTickTimer* owner) {
    for (unsigned i = 0; i < kSlotCount; ++i) {
        bool expected = false;
        if (g_slots[i].bClaimed.compare_exchange_strong(expected, true)) {
            g_slots[i].pOwner.store(owner);
            return i;
        }
    }
    return kNoSlot;
}

void WaitForCallbacks(const Slot& slot) {
    const unsigned own = slot.nTickThread.load() == ::GetCurrentThreadId() ? 1 : 0;
    // A callback in progress finishes within one OnTick; yield until then.
    for (unsigned spin = 0; slot.nBusy.load() > own; ++spin)
        ::Sleep(spin < 100 ? 0 : 1);
}

} // namespace

CTickTimer::CTickTimer() : m_nSlot(ClaimSlot(this)) {
    TIMECAPS caps;
    if (::timeGetDevCaps(&caps, sizeof caps) != TIMERR_NOERROR)
        return;
    m_nResolution = caps.wPeriodMax < caps.wPeriodMin ? caps.wPeriodMax : caps.wPeriodMin;
    ::timeBeginPeriod(m_nResolution);
}

CTickTimer::~CTickTimer() {
    Stop();
    if (m_nResolution != 0) {
        ::timeEndPeriod(m_nResolution);
        m_nResolution = 0;
    }
    if (m_nSlot != kNoSlot) {
        g_slots[m_nSlot].pOwner.store(nullptr);
        g_slots[m_nSlot].bClaimed.store(false);
    }
}

bool CTickTimer::Start(unsigned period, bool oneShot) {
    if (m_nSlot == kNoSlot)
        return false;
    Stop();
    Slot& slot = g_slots[m_nSlot];
    const std::uint64_t serial = ++g_nLastSerial;
    slot.nSerial.store(serial);
    // The table already keeps late callbacks away from the owner, so the kill
    // need not wait for them (TIME_KILL_SYNCHRONOUS), which a tick that stops
    // its own timer could not afford.
    const UINT type = (oneShot ? TIME_ONESHOT : TIME_PERIODIC) | TIME_CALLBACK_FUNCTION;
    const UINT id = ::timeSetEvent(period, m_nResolution, TimerCallback, serial * kSlotCount + m_nSlot, type);
    if (id == 0) {
        slot.nSerial.store(0);
        return false;
    }
    m_nTimerId.store(id);
    return true;
}

bool CTickTimer::Stop() {
    UINT id = m_nTimerId.load();
    if (id == 0 || ::timeKillEvent(id) != TIMERR_NOERROR)
        return false;
    m_nTimerId.compare_exchange_strong(id, 0);
    if (m_nSlot != kNoSlot) {
        Slot& slot = g_slots[m_nSlot];
        slot.nSerial.store(0);
        WaitForCallbacks(slot);
    }
    return true;
}

bool CTickTimer::IsRunning() const {
    return m_nTimerId.load() != 0;
}

void CALLBACK CTickTimer::TimerCallback(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    const auto word = static_cast<std::uint64_t>(user);
    Slot& slot = g_slots[word % kSlotCount];
    slot.nBusy.fetch_add(1);
    if (slot.nSerial.load() == word / kSlotCount) {
        CTickTimer* owner = slot.pOwner.load();
        const DWORD outer = slot.nTickThread.exchange(::GetCurrentThreadId());
        // Nothing may unwind into the platform's timer thread.
        try {
            owner->OnTick();
        } catch (...) {
        }
        slot.nTickThread.store(outer);
    }
    slot.nBusy.fetch_sub(1);
}
