// Helpers for tests that drive real windows under Wine.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>

namespace pwtest {

// Dispatches every queued message of this thread.
void PumpMessages();
// Dispatches messages for the given time.
void PumpFor(std::chrono::milliseconds duration);
// Dispatches messages until the condition holds or the time-out passes.
bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// Saves 32-bit pixels (0x00RRGGBB, rows top to bottom) as a 24-bit BMP.
bool SaveBmp(const char* path, const unsigned* bits, int width, int height);

// Renders a window's client area into a 32-bit bitmap and reads pixels.
class Snapshot {
public:
    enum class Source {
        PrintClient, // drawn whole through WM_PRINTCLIENT
        Redrawn,     // repainted whole, then copied from the window
        AsShown,     // copied from the window as it is, without a repaint
    };
    explicit Snapshot(HWND hwnd, Source source = Source::PrintClient);
    // printClient false: Source::Redrawn.
    Snapshot(HWND hwnd, bool printClient)
        : Snapshot(hwnd, printClient ? Source::PrintClient : Source::Redrawn) {}
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;
    ~Snapshot();
    COLORREF Pixel(int x, int y) const;
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Saves as a 24-bit BMP (for looking at by eye).
    bool Save(const char* path) const;

private:
    int m_width = 0;
    int m_height = 0;
    HBITMAP m_bitmap = nullptr;
    unsigned* m_bits = nullptr;
};

} // namespace pwtest
