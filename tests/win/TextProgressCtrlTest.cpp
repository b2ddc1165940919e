#include "UiTestWindow.h"

#include "ui/TextProgressCtrl.h"
#include "win/Gdi.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

using uitest::PixelAt;

const COLORREF kBar = RGB(0, 0, 255);
const COLORREF kBack = RGB(0, 0, 0);
const COLORREF kTextOverBar = RGB(255, 0, 0);
const COLORREF kText = RGB(0, 255, 0);

// A 104 x 24 bar with the two-line border: its interior is 100 x 20 at (2, 2).
class TextProgressCtrlTest : public ::testing::Test {
protected:
    TextProgressCtrlTest() : host(RGB(40, 40, 40), 200, 80) {
        hwnd = host.AddChild(PROGRESS_CLASSA, PBS_SMOOTH, 10, 10, 104, 24, 1000);
        bar.SubclassWindow(hwnd);
    }

    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageA(hwnd, msg, wParam, lParam);
    }

    // Counts the interior pixels in columns [from, to) that are neither the
    // bar's nor the background's colour, by the colour they are nearest.
    int CountNear(COLORREF colour, int from, int to) {
        int count = 0;
        ::UpdateWindow(hwnd);
        win::ClientDC dc(hwnd);
        for (int y = 2; y < 22; ++y)
            for (int x = from; x < to; ++x) {
                const COLORREF p = ::GetPixel(dc.Get(), x, y);
                if (p == kBar || p == kBack)
                    continue;
                const bool reddish = GetRValue(p) > GetGValue(p) + 40;
                const bool greenish = GetGValue(p) > GetRValue(p) + 40;
                if ((colour == kTextOverBar && reddish) || (colour == kText && greenish))
                    ++count;
            }
        return count;
    }

    uitest::HostWindow host;
    HWND hwnd;
    ui::CTextProgressCtrl bar;
};

TEST_F(TextProgressCtrlTest, TextChangesColourExactlyAtTheBarsEdgeInsideTheBorder) {
    Send(PBM_SETBARCOLOR, 0, kBar);
    Send(PBM_SETBKCOLOR, 0, kBack);
    Send(ui::TPCM_SETBARTEXTCOLOR, 0, kTextOverBar);
    Send(ui::TPCM_SETTEXTCOLOR, 0, kText);
    bar.SetLineBorder(RGB(22, 37, 51), RGB(0, 0, 0));
    Send(ui::TPCM_SHOWPERCENT, 0);
    ::SetWindowTextA(hwnd, "MMMMMMMMMMMMMMMMMMMMMMMM");
    Send(PBM_SETPOS, 50); // edge between columns 51 and 52
    EXPECT_GT(CountNear(kTextOverBar, 40, 52), 0);
    EXPECT_EQ(0, CountNear(kText, 2, 52));
    EXPECT_GT(CountNear(kText, 52, 64), 0);
    EXPECT_EQ(0, CountNear(kTextOverBar, 52, 102));
    EXPECT_EQ(RGB(22, 37, 51), PixelAt(hwnd, 0, 0));
    EXPECT_EQ(RGB(0, 0, 0), PixelAt(hwnd, 1, 1));
    EXPECT_EQ(kBar, PixelAt(hwnd, 2, 2));
    EXPECT_EQ(kBack, PixelAt(hwnd, 101, 21));
}

} // namespace
