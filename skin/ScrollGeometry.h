// Layout and arithmetic of the custom scroll bars, kept apart from the window
// code so that it can be tested on its own. Lengths run along the bar, which
// is vertical: top to bottom.
#pragma once

namespace skinsb {

// Part codes, also the scroll codes of the arrows and page areas.
inline constexpr int kPartNone = -1;
inline constexpr int kPartLineUp = 0;
inline constexpr int kPartLineDown = 1;
inline constexpr int kPartPageUp = 2;
inline constexpr int kPartPageDown = 3;
inline constexpr int kPartThumb = 5;

// State bits of a bar.
inline constexpr unsigned kStateUpDisabled = 1;
inline constexpr unsigned kStateDownDisabled = 2;
inline constexpr unsigned kStateAlwaysShow = 4;
inline constexpr unsigned kStateWanted = 8;

// Pixels the pointer may stray from the bar while dragging the thumb.
inline constexpr int kSnapAlong = 48;
inline constexpr int kSnapAcross = 24;

// The largest range whose thumb is still computed.
inline constexpr int kMaxRange = 0x7FFFFFFE;

struct SbRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const SbRect&) const = default;
};

struct SbInsets {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct ScrollValues {
    int nMin = 0;
    int nMax = 0;
    unsigned nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};

// a * b / c rounded half away from zero, as the platform's MulDiv; -1 when c
// is 0 or the result does not fit.
int MulDivRound(int a, int b, int c);

// The page as the bar keeps it: at most the whole range.
unsigned ClampPage(const ScrollValues& values, unsigned page);
// The nearest position a thumb can take.
int ClampPos(const ScrollValues& values, int pos);
// There is something to scroll: the arrows and the thumb work.
bool IsEnabled(const ScrollValues& values);
// Whether a bar takes room after its values were set.
bool WantsShowing(const ScrollValues& values, unsigned state, bool disableNoScroll);
// arrow is kPartLineUp or kPartLineDown.
bool IsArrowDisabled(const ScrollValues& values, unsigned state, int arrow);
// A press on an arrow, page area or thumb does something.
bool IsOperable(const ScrollValues& values, unsigned state);

struct BarLayout {
    int start = 0;
    int end = 0;
    int arrowLength = 0;
    // Between the arrows; when the arrows meet it is the odd middle pixel, if any.
    int trackStart = 0;
    int trackEnd = 0;
    bool hasThumb = false;
    int thumbStart = 0;
    int thumbLength = 0;

    int TrackLength() const { return trackEnd - trackStart; }
    int ThumbEnd() const { return thumbStart + thumbLength; }
};

// Lays out a bar running from start to end with arrows of arrowLength pixels.
BarLayout LayoutBar(int start, int end, int arrowLength, const ScrollValues& values, int minThumb,
                    unsigned state);
// The same layout with the thumb moved to thumbStart (while it is dragged).
BarLayout WithThumbAt(BarLayout layout, int thumbStart);

struct PartSpan {
    int part = kPartNone;
    int begin = 0;
    int end = 0;
};

// The parts in painting order: arrow, page, page, thumb, arrow; or arrow,
// track, arrow when there is no thumb. Returns how many were written.
int ListParts(const BarLayout& layout, PartSpan (&out)[5]);
// The part at a position along the bar.
int HitPart(const BarLayout& layout, int along);

// The point lies within the area in which a thumb drag follows the pointer.
bool InSnapArea(const SbRect& barAtPress, int x, int y);
// Where the dragged thumb starts: following the pointer inside the snap area,
// back where it was picked up outside it.
int DragThumbStart(const BarLayout& layout, const SbRect& barAtPress, int x, int y, int grabOffset,
                   int thumbStartAtPress);
// The scroll position a thumb start stands for.
int TrackPosFromThumb(const ScrollValues& values, const BarLayout& layout, int thumbStart);

// The client rectangle left after the bar takes its room from the one the
// frame leaves.
struct ClientFit {
    SbRect client;
    bool vShown = false;
};
ClientFit FitBar(const SbRect& client, bool vWanted, int vWidth, bool leftScrollBar);

// A bar's rectangle in window coordinates (the window's top left is 0, 0).
struct BarFrame {
    int width = 0;
    int height = 0;
    SbInsets insets;
    bool vShown = false;
    int vWidth = 0;
    bool leftScrollBar = false;
};
SbRect BarRect(const BarFrame& frame);

} // namespace skinsb
