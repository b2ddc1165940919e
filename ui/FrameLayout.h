#pragma once

namespace ui {

// Where a window of the given size starts when centred in a span; signed and
// truncating toward zero, so a window larger than the span starts before it.
constexpr int CenterIn(int spanStart, int spanLength, int size) {
    return spanStart + (spanLength - size) / 2;
}

// The screen band kept free under the window when the launcher re-centres
// itself (room for the taskbar).
constexpr int kTaskbarAllowance = 40;

struct Placement {
    int x;
    int y;
};

// The frame's place when the main dialog resizes it: centred on the screen
// with the taskbar allowance taken off the height.
constexpr Placement CenterOnScreen(int screenWidth, int screenHeight, int width, int height) {
    return {CenterIn(0, screenWidth, width), CenterIn(0, screenHeight - kTaskbarAllowance, height)};
}

// The main dialog's two layouts, in pixels of the skin's client area: compact
// (the bar and the buttons) while the portal page loads, full (the portal
// between them) once it is there.
constexpr int kFrameWidth = 635;
constexpr int kCompactFrameHeight = 277;
constexpr int kFullFrameHeight = 522;

constexpr int kBarLeft = 9;
constexpr int kBarTop = 193;
constexpr int kBarWidth = 617;
constexpr int kBarHeight = 25;

// "Launch!" and "Exit" side by side: the first one's left edge, the step
// from one to the next, their size and their top in each layout.
constexpr int kButtonsLeft = 151;
constexpr int kButtonStep = 175;
constexpr int kButtonWidth = 158;
constexpr int kButtonHeight = 33;
constexpr int kCompactButtonsTop = 231;
constexpr int kFullButtonsTop = 476;

// The portal view: below the bar by a gap; its height and the bar's
// together make kPortalAndBarHeight.
constexpr int kPortalLeft = 10;
constexpr int kPortalGapBelowBar = 13;
constexpr int kPortalWidth = 615;
constexpr int kPortalAndBarHeight = 257;

} // namespace ui
