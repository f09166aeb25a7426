#include "skin/SkinMath.h"

#include <algorithm>
#include <cstdint>

namespace skin {

namespace {

template <class Step> Colour PerChannel(Colour colour, Step step) {
    return MakeColour(step(Red(colour)), step(Green(colour)), step(Blue(colour)));
}

} // namespace

Colour Lighten(Colour colour, int step) {
    return PerChannel(colour, [step](int c) { return c + step <= 255 ? c + step : c; });
}

Colour Darken(Colour colour, int step) {
    return PerChannel(colour, [step](int c) { return c >= step ? c - step : c; });
}

Colour MidColour(Colour from, Colour to) {
    auto mid = [](int a, int b) {
        return (a + ((b - a) >> 1)) & 0xFF;
    };
    return MakeColour(mid(Red(from), Red(to)), mid(Green(from), Green(to)), mid(Blue(from), Blue(to)));
}

SliderShades ComputeSliderShades(Colour face, const SystemColours& system) {
    SliderShades s;
    s.light1 = Lighten(face, kShadeStep);
    s.light2 = Lighten(s.light1, kShadeStep);
    s.dark1 = Darken(face, kShadeStep);
    s.dark2 = Darken(s.dark1, kShadeStep);
    s.hilight = system.buttonHighlight;
    s.shadowMid = MidColour(system.buttonFace, system.buttonShadow);
    s.dkShadowMid = MidColour(system.buttonShadow, system.darkShadow);
    return s;
}

GripLines GripFor(int thumbWidth) {
    if (thumbWidth > 9)
        return {4, 3};
    if (thumbWidth > 5)
        return {2, 2};
    return {0, 0};
}

std::optional<Span> SelectionSpan(int start, int end, int minimum, int maximum, int base, int length) {
    if (start >= end || maximum <= minimum)
        return std::nullopt;
    // The range may span the whole int; the products need 64 bits.
    auto at = [&](int value) {
        std::int64_t offset = static_cast<std::int64_t>(value) - minimum;
        return static_cast<int>(base + offset * length / (static_cast<std::int64_t>(maximum) - minimum));
    };
    return Span{at(start), at(end)};
}

int FirstAniFrame(int direction) {
    if (direction == kAniForward)
        return 0;
    if (direction == kAniBackward)
        return kAniFrameCount - 1;
    return -1;
}

bool AdvanceAniFrame(int direction, int& frame) {
    if (direction == kAniForward)
        return ++frame == kAniFrameCount;
    if (direction == kAniBackward)
        return --frame == 0;
    return false;
}

Point CentredOrigin(int width, int height, const Box& over, const Box& work) {
    auto place = [](int size, int lo, int hi, int workLo, int workHi) {
        int origin = lo + ((hi - lo) - size) / 2;
        origin = std::min(origin, workHi - size);
        return std::max(origin, workLo);
    };
    return Point{place(width, over.left, over.right, work.left, work.right),
                 place(height, over.top, over.bottom, work.top, work.bottom)};
}

} // namespace skin
