// repaint <window title> <seconds>
//
// Keeps the window thread of the top-level window with the given title busy
// for the seconds: the window and all its children are redrawn over and
// over, each redraw waiting for the paint. Prints the redraws per second.
// Exits 0 when done, 1 when no such window exists, 2 on bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const double seconds = argc == 3 ? std::atof(argv[2]) : 0;
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: repaint <window title> <seconds>\n");
        return 2;
    }
    HWND hwnd = ::FindWindowA(nullptr, argv[1]);
    if (!hwnd) {
        std::fprintf(stderr, "repaint: no window titled \"%s\"\n", argv[1]);
        return 1;
    }
    const DWORD start = ::GetTickCount();
    const auto span = static_cast<DWORD>(seconds * 1000);
    unsigned long redraws = 0;
    while (::GetTickCount() - start < span && ::IsWindow(hwnd)) {
        ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        // The paint is done once the window thread answers.
        DWORD_PTR result = 0;
        ::SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
        ++redraws;
    }
    std::printf("repaint:   %.0f redraws per second of the whole window\n",
                redraws * 1000.0 / static_cast<double>(::GetTickCount() - start));
    return 0;
}
