// Colour shades, selection bands, animation frames and window placement of
// the skinned controls, kept free of the platform so they can be tested alone.
#pragma once

#include <cstdint>
#include <optional>

namespace skin {

// A colour in the platform's 0x00BBGGRR layout.
using Colour = std::uint32_t;

constexpr Colour MakeColour(int r, int g, int b) {
    return static_cast<Colour>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int Red(Colour c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int Green(Colour c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int Blue(Colour c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

// Each channel that has room for the whole step moves by it; one that has
// not keeps its value, so a white face stays white rather than saturating.
Colour Lighten(Colour colour, int step);
Colour Darken(Colour colour, int step);
// Per channel from + ((to - from) >> 1), rounding towards the darker side.
Colour MidColour(Colour from, Colour to);

// The system colours the slider's bevels are derived from.
struct SystemColours {
    Colour buttonFace = 0;
    Colour buttonShadow = 0;
    Colour darkShadow = 0;
    Colour buttonHighlight = 0;
};

struct SliderShades {
    Colour light1 = 0;
    Colour light2 = 0;
    Colour dark1 = 0;
    Colour dark2 = 0;
    Colour dkShadowMid = 0;
    Colour shadowMid = 0;
    Colour hilight = 0;
};

constexpr int kShadeStep = 51;

SliderShades ComputeSliderShades(Colour face, const SystemColours& system);

// The grip of a thumb as many light and dark lines as its width allows.
struct GripLines {
    int light = 0;
    int dark = 0;
};
GripLines GripFor(int thumbWidth);

// The stretch [begin, end) of a channel that shows the selection start..end of
// the range minimum..maximum, the channel running length pixels from base.
// Empty when there is nothing to show or the range is empty.
struct Span {
    int begin = 0;
    int end = 0;
};
std::optional<Span> SelectionSpan(int start, int end, int minimum, int maximum, int base, int length);

// The frames of the mode switch picture: forward from the first to the last,
// backward from the last down to the second; the frame reached at the end is
// never shown.
constexpr int kAniFrameCount = 13;
constexpr int kAniForward = 1;
constexpr int kAniBackward = 2;
// The frame a play in the direction starts from; -1 for an unknown direction.
int FirstAniFrame(int direction);
// One timer step of a play; true when the play has ended with it.
bool AdvanceAniFrame(int direction, int& frame);

// Top left corner that centres a width x height window over the box, moved
// back inside the work area where it would stick out.
struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};
struct Point {
    int x = 0;
    int y = 0;
};
Point CentredOrigin(int width, int height, const Box& over, const Box& work);

} // namespace skin
