#include "mainwnd/PracticeView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace practiceview {

namespace {

// As the tick display draws the needle: pivot 8 pixels above the bottom,
// radius 11 inside the half circle, halo 3 wide with round ends.
constexpr int kPivotLift = 8;
constexpr int kNeedleInset = 11;
constexpr int kHaloReach = 3;
constexpr int kGap = 2;

std::string Clock(unsigned seconds) {
    char text[24];
    std::snprintf(text, sizeof text, "%u:%02u", seconds / 60, seconds % 60);
    return text;
}

// The rightmost (or leftmost, from the right) x at which a box reaching
// down to bottom stays clear of the sweep.
int ClearX(const Sweep& sweep, int bottom, bool left) {
    const int dy = sweep.cy - bottom;
    // Above the sweep the whole width is clear.
    if (dy > sweep.reach)
        return left ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min();
    const int dx =
        static_cast<int>(std::ceil(std::sqrt(double(sweep.reach) * sweep.reach - double(dy) * dy)));
    return left ? sweep.cx - dx - 1 : sweep.cx + dx + 1;
}

} // namespace

Texts Describe(const PracticePlan& plan, const PracticeStatus& status, bool playing, unsigned tempo,
               bool userBeat) {
    Texts texts;
    char text[64];
    const bool countingIn = playing && status.nCountInLeft != 0;
    if (plan.IsTrainerOn()) {
        std::snprintf(text, sizeof text, "trainer %u -> %u", tempo, plan.nTrainerTarget);
        texts.row = text;
    }
    if (countingIn) {
        std::snprintf(text, sizeof text, "count-in %u", status.nCountInLeft);
    } else if (playing && (plan.IsTrainerOn() || plan.IsMuteOn()) && status.nBar != 0) {
        std::snprintf(text, sizeof text, "bar %u", status.nBar);
    } else if (!playing && userBeat && plan.nCountInBars != 0) {
        std::snprintf(text, sizeof text, "count-in %u", plan.nCountInBars);
    } else {
        text[0] = '\0';
    }
    if (text[0] != '\0')
        texts.row += texts.row.empty() ? text : std::string("  ") + text;
    if (plan.IsMuteOn()) {
        texts.mute = "muted";
        texts.bSilentNow = playing && status.bMuted;
    }
    if (plan.IsTimerOn()) {
        std::snprintf(text, sizeof text, "%u min", plan.nMinutes);
        texts.time = playing ? Clock(status.nPlayedSeconds) : text;
    }
    return texts;
}

Sweep NeedleSweep(int w, int h) {
    Sweep sweep;
    sweep.cx = w / 2;
    sweep.cy = h - kPivotLift;
    sweep.reach = std::min(sweep.cx, sweep.cy) - kNeedleInset + kHaloReach;
    return sweep;
}

bool ClearOfSweep(const Box& box, const Sweep& sweep) {
    if (box.IsEmpty())
        return true;
    // The nearest point of the box to the pivot, pixels being cells
    // [left, right) x [top, bottom).
    const int x = std::clamp(sweep.cx, box.left, box.right - 1);
    const int y = std::clamp(sweep.cy, box.top, box.bottom - 1);
    const double dx = x - sweep.cx;
    const double dy = y - sweep.cy;
    return y > sweep.cy || dx * dx + dy * dy > double(sweep.reach) * sweep.reach;
}

Layout Place(int w, int h, int lineHeight, const Box& signature, const Box& tempo) {
    const Sweep sweep = NeedleSweep(w, h);
    const int margin = w / 20;
    const int line = lineHeight + 1;
    Layout layout;

    // Under the drift, between the time signature and the tempo, above the
    // top of the sweep.
    layout.row.top = margin + line;
    layout.row.bottom = std::min(layout.row.top + line, sweep.cy - sweep.reach);
    layout.row.left = signature.right + kGap;
    layout.row.right = tempo.left - kGap;

    auto corner = [&](const Box& above, bool left, int index) {
        Box box;
        box.top = above.bottom + kGap + index * line;
        box.bottom = box.top + line;
        if (left) {
            box.left = above.left;
            box.right = std::min(above.right + line * 3, ClearX(sweep, box.bottom, true));
        } else {
            box.right = above.right;
            box.left = std::max(above.left - line * 3, ClearX(sweep, box.bottom, false));
        }
        return box;
    };
    layout.mute = corner(signature, true, 0);
    layout.spareLeft = corner(signature, true, 1);
    layout.time = corner(tempo, false, 0);
    layout.spareRight = corner(tempo, false, 1);
    return layout;
}

} // namespace practiceview
