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

} // namespace ui
