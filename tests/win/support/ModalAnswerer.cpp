#include "ModalAnswerer.h"

#include <utility>

#include "WinTest.h"

namespace pwtest {

namespace {

bool IsDialog(HWND hwnd) {
    char cls[16] = {};
    ::GetClassNameA(hwnd, cls, sizeof cls);
    return std::string(cls) == "#32770";
}

} // namespace

ModalAnswerer::ModalAnswerer(std::function<bool(HWND)> handler, UINT period)
    : m_handler(std::move(handler)), m_pPrevious(std::exchange(s_pCurrent, this)) {
    // Those already open are not the answerer's.
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hwnd, LPARAM self) -> BOOL {
            if (IsDialog(hwnd))
                reinterpret_cast<ModalAnswerer*>(self)->m_done.insert(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(this));
    m_nTimer = ::SetTimer(nullptr, 0, period, OnTimer);
}

ModalAnswerer::~ModalAnswerer() {
    ::KillTimer(nullptr, m_nTimer);
    s_pCurrent = m_pPrevious;
}

void CALLBACK ModalAnswerer::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (s_pCurrent)
        ::EnumThreadWindows(::GetCurrentThreadId(), OnWindow, reinterpret_cast<LPARAM>(s_pCurrent));
}

BOOL CALLBACK ModalAnswerer::OnWindow(HWND hwnd, LPARAM self) {
    auto* answerer = reinterpret_cast<ModalAnswerer*>(self);
    if (!IsDialog(hwnd) || !::IsWindowVisible(hwnd) || !::IsWindowEnabled(hwnd) ||
        answerer->m_done.count(hwnd) || answerer->m_active.count(hwnd))
        return TRUE;
    answerer->m_active.insert(hwnd);
    const bool done = answerer->m_handler(hwnd);
    answerer->m_active.erase(hwnd);
    if (done)
        answerer->m_done.insert(hwnd);
    return TRUE;
}

std::string MessageText(HWND box) {
    std::string text;
    ::EnumChildWindows(
        box,
        [](HWND child, LPARAM out) -> BOOL {
            char cls[16] = {};
            ::GetClassNameA(child, cls, sizeof cls);
            if (::lstrcmpiA(cls, "Static") == 0)
                *reinterpret_cast<std::string*>(out) += WindowText(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&text));
    return text;
}

} // namespace pwtest
