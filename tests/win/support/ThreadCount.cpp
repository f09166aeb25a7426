#include "ThreadCount.h"

#include <windows.h>

#include <atomic>

namespace {

std::atomic<unsigned> g_nStarted{0};

void NTAPI CountThread(PVOID, DWORD reason, PVOID) {
    if (reason == DLL_THREAD_ATTACH)
        g_nStarted.fetch_add(1);
}

} // namespace

// The loader calls every pointer between the sections .CRT$XLA and .CRT$XLZ.
extern "C" __attribute__((used, section(".CRT$XLP"))) const PIMAGE_TLS_CALLBACK pw_countThread = CountThread;

unsigned pwtest::ThreadsStarted() {
    return g_nStarted.load();
}
