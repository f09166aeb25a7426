// The headless environment the Windows tests run in: a display that shows
// windows, a DirectSound device that plays in real time, and multimedia timers.
#include "WinTest.h"
#include "framework/Handle.h"

#include <dsound.h>
#include <gtest/gtest.h>
#include <mmsystem.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

namespace {

const COLORREF kFill = RGB(255, 0, 255);

struct BrushTraits {
    using Type = HBRUSH;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::DeleteObject(h); }
};
struct WindowTraits {
    using Type = HWND;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::DestroyWindow(h); }
};

LRESULT CALLBACK FillProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd, &ps);
        pw::UniqueHandle<BrushTraits> brush(::CreateSolidBrush(kFill));
        ::FillRect(dc, &ps.rcPaint, brush.Get());
        ::EndPaint(hwnd, &ps);
        return 0;
    }
    return ::DefWindowProcA(hwnd, msg, wp, lp);
}

TEST(Harness, TopLevelWindowIsShownAndPainted) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = FillProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "PwHarnessFill";
    wc.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    ASSERT_NE(::RegisterClassA(&wc), 0);

    pw::UniqueHandle<WindowTraits> wnd(::CreateWindowExA(0, wc.lpszClassName, "Harness", WS_OVERLAPPEDWINDOW,
                                                         120, 90, 320, 240, nullptr, nullptr, wc.hInstance,
                                                         nullptr));
    ASSERT_TRUE(wnd);
    ::ShowWindow(wnd.Get(), SW_SHOWNORMAL);
    ::UpdateWindow(wnd.Get());
    EXPECT_TRUE(
        pwtest::PumpUntil([&] { return ::IsWindowVisible(wnd.Get()) != FALSE; }, std::chrono::seconds(5)));

    EXPECT_GE(::GetSystemMetrics(SM_CXSCREEN), 640);
    EXPECT_GE(::GetSystemMetrics(SM_CYSCREEN), 480);

    // The screen holds what the window painted, at the window's place.
    RECT client;
    ::GetClientRect(wnd.Get(), &client);
    POINT centre{client.right / 2, client.bottom / 2};
    ::ClientToScreen(wnd.Get(), &centre);
    COLORREF seen = CLR_INVALID;
    bool painted = pwtest::PumpUntil(
        [&] {
            HDC screen = ::GetDC(nullptr);
            seen = ::GetPixel(screen, centre.x, centre.y);
            ::ReleaseDC(nullptr, screen);
            return seen == kFill;
        },
        std::chrono::seconds(5));
    EXPECT_TRUE(painted) << "screen pixel " << std::hex << seen;

    wnd.Reset();
    ::UnregisterClassA(wc.lpszClassName, wc.hInstance);
}

// The primary driver (null GUID) is listed even without a device behind it.
BOOL CALLBACK CountDevice(LPGUID guid, LPCSTR description, LPCSTR, LPVOID context) {
    std::printf("sound device: %s\n", description);
    if (guid)
        ++*static_cast<int*>(context);
    return TRUE;
}

TEST(Harness, DirectSoundHasADevice) {
    int devices = 0;
    ASSERT_EQ(::DirectSoundEnumerateA(CountDevice, &devices), DS_OK);
    EXPECT_GE(devices, 1);

    pw::ComPtr<IDirectSound> ds;
    ASSERT_EQ(::DirectSoundCreate(nullptr, ds.Receive(), nullptr), DS_OK);
}

// A null sink that did not consume audio in real time would let a played buffer
// stand still, and recordings of the program's output would be empty.
TEST(Harness, DirectSoundPlaysInRealTime) {
    pw::ComPtr<IDirectSound> ds;
    ASSERT_EQ(::DirectSoundCreate(nullptr, ds.Receive(), nullptr), DS_OK);
    ASSERT_EQ(ds->SetCooperativeLevel(::GetDesktopWindow(), DSSCL_PRIORITY), DS_OK);

    const DWORD rate = 44100;
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 2;
    format.nAvgBytesPerSec = rate * 2;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS;
    desc.dwBufferBytes = 4 * rate * 2; // long enough to still play at the end
    desc.lpwfxFormat = &format;
    pw::ComPtr<IDirectSoundBuffer> buffer;
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, buffer.Receive(), nullptr), DS_OK);

    // 100 ms of a quiet 1 kHz tone, then silence.
    void* data = nullptr;
    DWORD bytes = 0;
    ASSERT_EQ(buffer->Lock(0, desc.dwBufferBytes, &data, &bytes, nullptr, nullptr, 0), DS_OK);
    auto* samples = static_cast<short*>(data);
    for (DWORD i = 0; i < bytes / 2; ++i)
        samples[i] =
            i < rate / 10 ? static_cast<short>(8000 * std::sin(2 * std::numbers::pi * 1000.0 * i / rate)) : 0;
    ASSERT_EQ(buffer->Unlock(data, bytes, nullptr, 0), DS_OK);

    LARGE_INTEGER frequency, start, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    DWORD play = 0;
    bool moved =
        pwtest::PumpUntil([&] { return buffer->GetCurrentPosition(&play, nullptr) == DS_OK && play > 0; },
                          std::chrono::seconds(2));
    EXPECT_TRUE(moved) << "the play cursor stood still";
    ::Sleep(200);
    ASSERT_EQ(buffer->GetCurrentPosition(&play, nullptr), DS_OK);
    ::QueryPerformanceCounter(&now);
    DWORD status = 0;
    ASSERT_EQ(buffer->GetStatus(&status), DS_OK);
    buffer->Stop();
    EXPECT_TRUE(status & DSBSTATUS_PLAYING) << "the buffer ran out early";

    // Load only makes the cursor lag; a sink that does not pace would have
    // run far ahead of the clock.
    double elapsedMs = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart;
    double playedMs = 1000.0 * play / format.nAvgBytesPerSec;
    std::printf("played %.0f ms of audio in %.0f ms\n", playedMs, elapsedMs);
    EXPECT_LE(playedMs, elapsedMs + 150);
}

std::atomic<int> g_ticks{0};

void CALLBACK CountTick(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    ++g_ticks;
}

TEST(Harness, PeriodicMultimediaTimerFiresAtItsRate) {
    ASSERT_EQ(::timeBeginPeriod(1), TIMERR_NOERROR);
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    g_ticks = 0;
    ::QueryPerformanceCounter(&start);
    UINT timer = ::timeSetEvent(10, 1, CountTick, 0, TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);
    ASSERT_NE(timer, 0u);
    ::Sleep(1000);
    ::timeKillEvent(timer);
    ::QueryPerformanceCounter(&end);
    ::timeEndPeriod(1);

    double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
    double perSecond = g_ticks / seconds;
    std::printf("timeSetEvent 10 ms: %d events in %.0f ms (%.1f per second)\n", g_ticks.load(),
                seconds * 1000, perSecond);
    EXPECT_GE(perSecond, 80.0);
    EXPECT_LE(perSecond, 120.0);
}

} // namespace
