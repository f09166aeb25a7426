// How long one preview step takes on the window thread: moving the highlight
// and copying the step's cells, as the Custom Beat Setting dialog does every
// 150 ms. Prints figures; asserts nothing.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "WinTest.h"
#include "editor/BeatGrid.h"

int main() {
    using Clock = std::chrono::steady_clock;
    CWnd host;
    host.CreateEx(0, nullptr, "bench", WS_POPUP | WS_VISIBLE, RECT{40, 40, 460, 400}, nullptr, 0);
    for (int steps : {16, 100}) {
        CBeatGrid grid;
        grid.Create(13, &host, RECT{10, 10, 370, 330});
        CCustomBeat pattern;
        for (int t = 0; t < 5; ++t)
            pattern.AddTrack().SetCellCount(steps);
        grid.SetPattern(pattern);
        pwtest::PumpMessages();

        std::vector<double> micros;
        for (int i = 0; i < 2000; ++i) {
            auto start = Clock::now();
            grid.SetHighlight(i % steps);
            CBeatTrack cells = grid.GetStepCells(i % steps);
            micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
            if (i % 50 == 0)
                pwtest::PumpMessages();
        }
        std::sort(micros.begin(), micros.end());
        std::printf("preview step, %3d steps: median %.1f us, 99th %.1f us, max %.1f us (period 150000 us)\n",
                    steps, micros[micros.size() / 2], micros[micros.size() * 99 / 100], micros.back());
    }
    host.ShowWindow(SW_HIDE);
    return 0;
}
