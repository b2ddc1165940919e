#pragma once

#include <cstdint>
#include <string>

namespace ui {

// A colour in the platform's COLORREF layout, 0x00BBGGRR.
using ColorRef = std::uint32_t;

// "Use the system colour": the progress bar reads the real colour when it paints.
constexpr ColorRef kDefaultColor = 0xFF000000u;

// A rectangle as the platform lays it out: right and bottom are exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const Rect& other) const {
        return left == other.left && top == other.top && right == other.right &&
               bottom == other.bottom;
    }
};

// Everything the percentage progress bar keeps; the window shell answers its
// messages from here, so that the arithmetic is the same on every platform.
struct ProgressState {
    int m_bAppendPercent = 1;
    ColorRef m_crBarColor = kDefaultColor;
    ColorRef m_crBkColor = kDefaultColor;
    ColorRef m_crTextColor = kDefaultColor;
    ColorRef m_crBarTextColor = kDefaultColor;
    int m_nTextPlacement = 1;
    int m_nPos = 0;
    int m_nStep = 10;
    int m_nMin = 0;
    int m_nMax = 100;
    int m_nBlockPercent = 20;
    bool m_bLineBorder = false;
    ColorRef m_crBorderOuter = 0;
    ColorRef m_crBorderInner = 0;
};

// The highest position a marquee block may reach: it runs past the end by its
// own length, so that it leaves the bar completely before turning back.
int MarqueeLimit(const ProgressState& state);

// Stores a position clamped to the range (the marquee's extended range when
// marquee is set); returns the previous position.
int SetPosition(ProgressState& state, int pos, bool marquee);

// Moves by delta (clamped as above, without int overflow); returns the
// previous position.
int DeltaPosition(ProgressState& state, int delta, bool marquee);

// Advances by the step, wrapping around at either end; returns the previous
// position.
int StepPosition(ProgressState& state, bool marquee);

// Stores both bounds as given; the result packs the previous lower bound into
// the low 16 bits and the previous upper bound into the high 16 bits.
std::uint32_t SetRange(ProgressState& state, int lower, int upper);

// One tick of the marquee: turns the shared direction at either end and
// returns the next position.
int NextMarqueePosition(const ProgressState& state, int& direction);

// True when the range is empty or inverted; such a bar paints nothing.
bool IsRangeEmpty(const ProgressState& state);

// How far the bar is filled, in [0, 1] for positions inside the range.
double FillFraction(const ProgressState& state);

// The text drawn on the bar: the window text, then the rounded percentage when
// it is wanted.
std::string ProgressText(const std::string& windowText, const ProgressState& state);

// The three areas of the interior: the unfilled lead before a marquee block,
// the bar and the unfilled rest.
struct ProgressAreas {
    Rect lead;
    Rect bar;
    Rect rest;
    bool hasLead = false;
    bool hasRest = false;
};

ProgressAreas LayOutAreas(const Rect& interior, const ProgressState& state, bool vertical,
                          bool marquee);

struct Point {
    int x = 0;
    int y = 0;
};

// Where the text starts. extentAlong and extentAcross are the text's measured
// size along and across its direction (a vertical bar's text runs upwards).
Point PlaceText(const Rect& interior, int placement, bool vertical, int extentAlong,
                int extentAcross);

} // namespace ui
