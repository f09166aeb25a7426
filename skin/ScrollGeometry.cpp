#include "skin/ScrollGeometry.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace skinsb {

namespace {

int64_t Range(const ScrollValues& values) {
    return int64_t{values.nMax} - values.nMin;
}

// Positions from the minimum that the thumb's travel stands for; the thumb
// offset and the dragged position both use it, so each undoes the other.
int64_t PositionSpan(const ScrollValues& values) {
    return Range(values) - std::max<int64_t>(values.nPage, 1) + 1;
}

int MulDiv64(int64_t a, int64_t b, int64_t c) {
    if (c == 0)
        return -1;
    int64_t product = a * b;
    bool negative = (product < 0) != (c < 0);
    int64_t magnitude = product < 0 ? -product : product;
    int64_t divisor = c < 0 ? -c : c;
    int64_t quotient = (magnitude + divisor / 2) / divisor;
    if (quotient > INT_MAX)
        return -1;
    return static_cast<int>(negative ? -quotient : quotient);
}

} // namespace

int MulDivRound(int a, int b, int c) {
    return MulDiv64(a, b, c);
}

unsigned ClampPage(const ScrollValues& values, unsigned page) {
    int64_t whole = Range(values) + 1;
    if (whole <= 0)
        return 0;
    return static_cast<unsigned>(std::min<int64_t>(page, whole));
}

int ClampPos(const ScrollValues& values, int pos) {
    int64_t last = int64_t{values.nMax} - std::max<int64_t>(int64_t{values.nPage} - 1, 0);
    int64_t clamped = std::max<int64_t>(std::min<int64_t>(pos, last), values.nMin);
    return static_cast<int>(clamped);
}

bool IsEnabled(const ScrollValues& values) {
    return int64_t{values.nMax} >= int64_t{values.nPage} && values.nMin < values.nMax && values.nMax != 0;
}

bool WantsShowing(const ScrollValues& values, unsigned state, bool disableNoScroll) {
    if (disableNoScroll || (state & kStateAlwaysShow))
        return true;
    return values.nMin < values.nMax && int64_t{values.nMax} >= int64_t{values.nPage} &&
           !(values.nPage == 0 && values.nMax == 0);
}

bool IsArrowDisabled(const ScrollValues& values, unsigned state, int arrow) {
    unsigned bit = arrow == kPartLineUp ? kStateUpDisabled : kStateDownDisabled;
    return (state & bit) || (!IsEnabled(values) && !(state & kStateAlwaysShow));
}

bool IsOperable(const ScrollValues& values, unsigned state) {
    bool bothDisabled = (state & kStateUpDisabled) && (state & kStateDownDisabled);
    return !bothDisabled && (IsEnabled(values) || (state & kStateAlwaysShow));
}

BarLayout LayoutBar(int start, int end, int arrowLength, const ScrollValues& values, int minThumb,
                    unsigned state) {
    BarLayout layout;
    layout.start = start;
    layout.end = end;
    int length = std::max(end - start, 0);
    int arrow = std::max(arrowLength, 0);
    if (2 * arrow >= length) {
        layout.arrowLength = length / 2;
        layout.trackStart = start + layout.arrowLength;
        layout.trackEnd = end - layout.arrowLength;
        layout.thumbStart = layout.trackStart;
        return layout;
    }
    layout.arrowLength = arrow;
    layout.trackStart = start + arrow;
    layout.trackEnd = end - arrow;
    layout.thumbStart = layout.trackStart;
    int track = layout.TrackLength();

    int64_t range = Range(values);
    int thumb = 0;
    if (values.nPage == 0) {
        thumb = arrow;
    } else if (range <= kMaxRange) {
        thumb = std::max(MulDiv64(values.nPage, track, range + 1), minThumb);
    }

    int offset = 0;
    if (range <= kMaxRange) {
        int64_t span = PositionSpan(values);
        if (span > 0 && track > thumb)
            offset = MulDiv64(int64_t{values.nPos} - values.nMin, track - thumb, span);
        offset = std::clamp(offset, 0, std::max(track - thumb, 0));
    }

    bool bothArrowsDisabled =
        IsArrowDisabled(values, state, kPartLineUp) && IsArrowDisabled(values, state, kPartLineDown);
    if (thumb > 0 && thumb <= track && IsEnabled(values) && !bothArrowsDisabled) {
        layout.hasThumb = true;
        layout.thumbLength = thumb;
        layout.thumbStart = layout.trackStart + offset;
    }
    return layout;
}

BarLayout WithThumbAt(BarLayout layout, int thumbStart) {
    if (layout.hasThumb)
        layout.thumbStart = std::clamp(thumbStart, layout.trackStart, layout.trackEnd - layout.thumbLength);
    return layout;
}

int ListParts(const BarLayout& layout, PartSpan (&out)[5]) {
    int count = 0;
    out[count++] = {kPartLineUp, layout.start, layout.trackStart};
    if (layout.hasThumb) {
        out[count++] = {kPartPageUp, layout.trackStart, layout.thumbStart};
        out[count++] = {kPartPageDown, layout.ThumbEnd(), layout.trackEnd};
        out[count++] = {kPartThumb, layout.thumbStart, layout.ThumbEnd()};
    } else if (layout.trackEnd > layout.trackStart) {
        out[count++] = {kPartPageDown, layout.trackStart, layout.trackEnd};
    }
    out[count++] = {kPartLineDown, layout.trackEnd, layout.end};
    return count;
}

int HitPart(const BarLayout& layout, int along) {
    if (along < layout.start || along >= layout.end)
        return kPartNone;
    if (along < layout.trackStart)
        return kPartLineUp;
    if (along >= layout.trackEnd)
        return kPartLineDown;
    if (!layout.hasThumb)
        return kPartPageDown;
    if (along < layout.thumbStart)
        return kPartPageUp;
    if (along < layout.ThumbEnd())
        return kPartThumb;
    return kPartPageDown;
}

bool InSnapArea(const SbRect& barAtPress, int x, int y) {
    SbRect area{barAtPress.left - kSnapAcross, barAtPress.top - kSnapAlong, barAtPress.right + kSnapAcross,
                barAtPress.bottom + kSnapAlong};
    return area.Contains(x, y);
}

int DragThumbStart(const BarLayout& layout, const SbRect& barAtPress, int x, int y, int grabOffset,
                   int thumbStartAtPress) {
    if (!InSnapArea(barAtPress, x, y))
        return thumbStartAtPress;
    return std::clamp(y - grabOffset, layout.trackStart,
                      std::max(layout.trackEnd - layout.thumbLength, layout.trackStart));
}

int TrackPosFromThumb(const ScrollValues& values, const BarLayout& layout, int thumbStart) {
    int offset = thumbStart - layout.trackStart;
    if (Range(values) <= 0)
        return offset;
    int travel = layout.TrackLength() - layout.thumbLength;
    int64_t span = PositionSpan(values);
    if (travel <= 0 || span <= 0)
        return values.nMin;
    return ClampPos(values, static_cast<int>(values.nMin + int64_t{MulDiv64(offset, span, travel)}));
}

ClientFit FitBar(const SbRect& client, bool vWanted, int vWidth, bool leftScrollBar) {
    ClientFit fit{client};
    if (vWanted && fit.client.right - fit.client.left >= vWidth) {
        if (leftScrollBar)
            fit.client.left += vWidth;
        else
            fit.client.right -= vWidth;
        fit.vShown = true;
    }
    return fit;
}

SbRect BarRect(const BarFrame& frame) {
    SbRect rect;
    rect.top = frame.insets.top;
    rect.bottom = frame.height - frame.insets.bottom;
    if (frame.leftScrollBar) {
        rect.left = frame.insets.left;
        rect.right = rect.left + frame.vWidth;
    } else {
        rect.right = frame.width - frame.insets.right;
        rect.left = rect.right - frame.vWidth;
    }
    return rect;
}

} // namespace skinsb
