#include "UiTestWindow.h"

#include "ui/GdipButton.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using uitest::PixelAt;

const UINT kProbeImage = 900; // 16 x 8: transparent | white, grey column at x 12
const COLORREF kBehind = RGB(10, 120, 200);

bool Near(COLORREF expected, COLORREF actual) {
    return std::abs(GetRValue(expected) - GetRValue(actual)) <= 1 &&
           std::abs(GetGValue(expected) - GetGValue(actual)) <= 1 &&
           std::abs(GetBValue(expected) - GetBValue(actual)) <= 1;
}

#define EXPECT_NEAR_COLOUR(expected, actual) EXPECT_PRED2(Near, expected, actual)

class GdipButtonTest : public ::testing::Test {
protected:
    GdipButtonTest() : host(kBehind, 120, 60) {
        hwnd = host.AddChild("BUTTON", BS_PUSHBUTTON, 20, 30, 16, 8, 1001);
        button.SubclassWindow(hwnd);
    }

    void ExpectLook(COLORREF white, COLORREF grey) {
        ::InvalidateRect(hwnd, nullptr, TRUE);
        EXPECT_NEAR_COLOUR(kBehind, PixelAt(hwnd, 2, 3));
        EXPECT_NEAR_COLOUR(kBehind, PixelAt(hwnd, 7, 6));
        EXPECT_NEAR_COLOUR(white, PixelAt(hwnd, 9, 3));
        EXPECT_NEAR_COLOUR(grey, PixelAt(hwnd, 12, 3));
    }

    uitest::HostWindow host;
    HWND hwnd;
    ui::CGdipButton button;
};

TEST_F(GdipButtonTest, LooksAreComposedOverTheCapturedBackground) {
    ASSERT_TRUE(button.SetImageResource(kProbeImage, "IMAGE"));
    EXPECT_EQ(BS_OWNERDRAW, ::GetWindowLongPtrA(hwnd, GWL_STYLE) & BS_TYPEMASK);
    ExpectLook(RGB(255, 255, 255), RGB(100, 100, 100));

    // Pressed: x 1.4, white stays white (clamped).
    ::SendMessageA(hwnd, BM_SETSTATE, TRUE, 0);
    ExpectLook(RGB(255, 255, 255), RGB(140, 140, 140));
    ::SendMessageA(hwnd, BM_SETSTATE, FALSE, 0);

    // Hovering: x 1.3; pressing while hovering still shows the pressed look.
    ::SendMessageA(hwnd, WM_MOUSEHOVER, 0, 0);
    ExpectLook(RGB(255, 255, 255), RGB(130, 130, 130));
    ::SendMessageA(hwnd, BM_SETSTATE, TRUE, 0);
    ExpectLook(RGB(255, 255, 255), RGB(140, 140, 140));
    ::SendMessageA(hwnd, BM_SETSTATE, FALSE, 0);
    ExpectLook(RGB(255, 255, 255), RGB(130, 130, 130));

    // Disabled wins over hover and press: white becomes 80 % grey.
    button.SetImageType(ui::CGdipButton::kDisabledLook);
    ExpectLook(RGB(204, 204, 204), RGB(80, 80, 80));
    ::SendMessageA(hwnd, BM_SETSTATE, TRUE, 0);
    ExpectLook(RGB(204, 204, 204), RGB(80, 80, 80));
    ::SendMessageA(hwnd, BM_SETSTATE, FALSE, 0);

    // Leaving returns to the normal look once enabled again.
    button.SetImageType(ui::CGdipButton::kStandardLooks);
    ::SendMessageA(hwnd, WM_MOUSELEAVE, 0, 0);
    ExpectLook(RGB(255, 255, 255), RGB(100, 100, 100));
}

TEST_F(GdipButtonTest, DoubleClickCountsAsTwoClicks) {
    ASSERT_TRUE(button.SetImageResource(kProbeImage, "IMAGE"));
    const LPARAM inside = MAKELPARAM(4, 4);
    for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        ::PostMessageA(hwnd, msg, MK_LBUTTON, inside);
    uitest::Pump();
    EXPECT_EQ(2, host.Clicks());
}

} // namespace
