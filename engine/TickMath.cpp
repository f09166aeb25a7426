#include "engine/TickMath.h"

unsigned ComputeTickPeriod(unsigned tempo, unsigned note) {
    const unsigned sub = note >> 2;
    if (tempo == 0 || sub == 0)
        return 0;
    // Divided in this order so that every caller gets the same double.
    const double x = 60000.0 / tempo / sub;
    const auto whole = static_cast<unsigned>(x);
    const auto thousandths = static_cast<unsigned>((x - whole) * 1000.0);
    return thousandths > 500 ? whole + 1 : whole;
}

std::int32_t ComputeDriftPerHour(unsigned tempo, unsigned note) {
    // 32-bit arithmetic as the display shows it; unsigned so that an absurd
    // input wraps instead of overflowing.
    const std::uint32_t ticksTime = (note >> 2) * ComputeTickPeriod(tempo, note) * tempo * 60u;
    return static_cast<std::int32_t>(ticksTime - 3600000u);
}
