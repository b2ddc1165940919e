#include "ui/ProgressLogic.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace ui {

namespace {

// trunc(length x fraction), kept within [0, limit]. A range changed after the
// position may leave the position outside it; the bar then stays inside the
// frame instead of painting over it, and no out-of-range conversion happens.
int ScaledLength(int length, double fraction, int limit) {
    const double scaled = std::clamp(length * fraction, 0.0, static_cast<double>(limit));
    return static_cast<int>(scaled);
}

// The marquee block's length; any block percentage the control accepts keeps
// the arithmetic in range.
int BlockLength(int length, int percent) {
    const long long block = (static_cast<long long>(length) * percent + 50) / 100;
    return static_cast<int>(std::clamp(block, -2LL * length, 2LL * length));
}

} // namespace

int MarqueeLimit(const ProgressState& state) {
    const double limit =
        ((state.m_nBlockPercent + 100.0) * static_cast<double>(state.m_nMax) + 0.5) / 100.0;
    return static_cast<int>(std::clamp(limit, -2147483648.0, 2147483647.0));
}

int SetPosition(ProgressState& state, int pos, bool marquee) {
    const int previous = state.m_nPos;
    state.m_nPos = pos;
    if (state.m_nPos < state.m_nMin)
        state.m_nPos = state.m_nMin;
    const int upper = marquee ? MarqueeLimit(state) : state.m_nMax;
    if (state.m_nPos > upper)
        state.m_nPos = upper;
    return previous;
}

int DeltaPosition(ProgressState& state, int delta, bool marquee) {
    const long long target = static_cast<long long>(state.m_nPos) + delta;
    return SetPosition(state, static_cast<int>(std::clamp<long long>(target, INT_MIN, INT_MAX)),
                       marquee);
}

int StepPosition(ProgressState& state, bool marquee) {
    // Computed in 64 bits: a step near the int limits must wrap, not overflow.
    long long next = static_cast<long long>(state.m_nPos) + state.m_nStep;
    if (next < state.m_nMin)
        next = state.m_nMax - std::llabs(state.m_nMin - next);
    else if (next > state.m_nMax)
        next = state.m_nMin + std::llabs(next - state.m_nMax);
    return SetPosition(state, static_cast<int>(next), marquee);
}

std::uint32_t SetRange(ProgressState& state, int lower, int upper) {
    const std::uint32_t previous = (static_cast<std::uint32_t>(state.m_nMin) & 0xFFFFu) |
                                   (static_cast<std::uint32_t>(state.m_nMax) << 16);
    state.m_nMin = lower;
    state.m_nMax = upper;
    return previous;
}

int NextMarqueePosition(const ProgressState& state, int& direction) {
    const int pos = state.m_nPos;
    if (direction > 0 && pos >= MarqueeLimit(state))
        direction = -1;
    else if (direction < 0 && pos <= state.m_nMin)
        direction = 1;
    return pos + direction;
}

bool IsRangeEmpty(const ProgressState& state) {
    return state.m_nMin >= state.m_nMax;
}

double FillFraction(const ProgressState& state) {
    return (static_cast<double>(state.m_nPos) - state.m_nMin) /
           (static_cast<double>(state.m_nMax) - state.m_nMin);
}

std::string ProgressText(const std::string& windowText, const ProgressState& state) {
    if (!state.m_bAppendPercent)
        return windowText;
    char percent[16];
    const double rounded = std::clamp(FillFraction(state) * 100.0 + 0.5, -1e9, 1e9);
    std::snprintf(percent, sizeof percent, "%d%%", static_cast<int>(rounded));
    return windowText + percent;
}

ProgressAreas LayOutAreas(const Rect& interior, const ProgressState& state, bool vertical,
                          bool marquee) {
    ProgressAreas areas;
    areas.lead = areas.bar = areas.rest = interior;
    areas.hasLead = true;
    areas.hasRest = true;
    const double fraction = FillFraction(state);
    const int width = interior.Width();
    const int height = interior.Height();
    Rect& bar = areas.bar;

    if (!marquee) {
        areas.hasLead = false;
        if (vertical) {
            bar.top = bar.bottom - ScaledLength(height, fraction, height);
            areas.rest.bottom = bar.top;
        } else {
            bar.right = bar.left + ScaledLength(width, fraction, width);
            areas.rest.left = bar.right;
        }
        return areas;
    }

    if (vertical) {
        bar.top = bar.bottom - ScaledLength(height, fraction, 2 * height);
        bar.bottom = bar.top + BlockLength(height, state.m_nBlockPercent);
        if (bar.bottom >= interior.bottom) {
            areas.hasLead = false;
            bar.bottom = interior.bottom;
        } else {
            areas.lead.top = bar.bottom;
        }
        if (bar.top <= interior.top) {
            areas.hasRest = false;
            bar.top = interior.top;
        } else {
            areas.rest.bottom = bar.top;
        }
    } else {
        bar.right = bar.left + ScaledLength(width, fraction, 2 * width);
        bar.left = bar.right - BlockLength(width, state.m_nBlockPercent);
        if (bar.left <= interior.left) {
            areas.hasLead = false;
            bar.left = interior.left;
        } else {
            areas.lead.right = bar.left;
        }
        if (bar.right >= interior.right) {
            areas.hasRest = false;
            bar.right = interior.right;
        } else {
            areas.rest.left = bar.right;
        }
    }
    return areas;
}

Point PlaceText(const Rect& interior, int placement, bool vertical, int extentAlong,
                int extentAcross) {
    const int width = interior.Width();
    const int height = interior.Height();
    Point origin;
    if (vertical) {
        origin.x = interior.left + (width - extentAcross) / 2;
        if (placement == 0)
            origin.y = interior.bottom - 3;
        else if (placement == 2)
            origin.y = interior.top + extentAlong + 2;
        else
            origin.y = interior.top + extentAlong + (height - extentAlong) / 2;
    } else {
        if (placement == 0)
            origin.x = interior.left + 2;
        else if (placement == 2)
            origin.x = interior.right - extentAlong - 3;
        else
            origin.x = interior.left + (width - extentAlong) / 2;
        origin.y = interior.top + (height - extentAcross) / 2;
    }
    return origin;
}

} // namespace ui
