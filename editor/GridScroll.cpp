#include "editor/GridScroll.h"

#include <algorithm>

GridScrollRange ComputeGridScrollRange(int clientHeight, int columnHeight) {
    int maximum = columnHeight - clientHeight + 30;
    if (maximum <= 0)
        return {};
    return {maximum, columnHeight >= clientHeight ? 30 : maximum};
}

int NextGridScrollPos(int code, int pos, int page, int trackPos) {
    switch (code) {
    case kScrollLineUp:
        return pos - kGridLineScroll;
    case kScrollLineDown:
        return pos + kGridLineScroll;
    case kScrollPageUp:
        return pos - page;
    case kScrollPageDown:
        return pos + page;
    case kScrollThumbTrack:
        return trackPos;
    default:
        return pos;
    }
}

int WheelGridScrollPos(int pos, int wheelDelta) {
    return wheelDelta <= 0 ? pos + kGridLineScroll : pos - kGridLineScroll;
}

int TrackColumnWidth(int clientWidth) {
    return std::max(clientWidth - kStepColumnWidth, 0) / kPatternTrackCount;
}
