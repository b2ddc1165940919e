#include "UiTestWindow.h"

#include "ui/TextProgressCtrl.h"
#include "win/Gdi.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

using uitest::PixelAt;

const COLORREF kBar = RGB(0, 0, 255);
const COLORREF kBack = RGB(0, 0, 0);
const COLORREF kTextOverBar = RGB(255, 0, 0);
const COLORREF kText = RGB(0, 255, 0);

// A 104 x 24 bar with the two-line border: its interior is 100 x 20 at (2, 2).
class ProgressFixture : public ::testing::Test {
protected:
    ProgressFixture() : host(RGB(40, 40, 40), 200, 80) {
        hwnd = host.AddChild(PROGRESS_CLASSA, PBS_SMOOTH, 10, 10, 104, 24, 1000);
        bar.SubclassWindow(hwnd);
    }

    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageA(hwnd, msg, wParam, lParam);
    }

    void Colour() {
        Send(PBM_SETBARCOLOR, 0, kBar);
        Send(PBM_SETBKCOLOR, 0, kBack);
        Send(ui::TPCM_SETBARTEXTCOLOR, 0, kTextOverBar);
        Send(ui::TPCM_SETTEXTCOLOR, 0, kText);
        bar.SetLineBorder(RGB(22, 37, 51), RGB(0, 0, 0));
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

    std::vector<COLORREF> Interior() {
        ::InvalidateRect(hwnd, nullptr, FALSE);
        std::vector<COLORREF> pixels;
        for (int x = 2; x < 102; ++x)
            for (int y = 2; y < 22; ++y)
                pixels.push_back(PixelAt(hwnd, x, y));
        return pixels;
    }

    uitest::HostWindow host;
    HWND hwnd;
    ui::CTextProgressCtrl bar;
};

TEST_F(ProgressFixture, MessagesAnswerAsTheProgressControlOfTheLauncher) {
    EXPECT_EQ(0, Send(PBM_SETPOS, 40));
    EXPECT_EQ(40, Send(PBM_SETPOS, 150));
    EXPECT_EQ(100, Send(PBM_GETPOS));
    EXPECT_EQ(100, Send(PBM_DELTAPOS, static_cast<WPARAM>(-30)));
    EXPECT_EQ(70, Send(PBM_GETPOS));

    EXPECT_EQ(10, Send(PBM_SETSTEP, 10));
    Send(PBM_SETPOS, 95);
    EXPECT_EQ(95, Send(PBM_STEPIT));
    EXPECT_EQ(5, Send(PBM_GETPOS));

    // PBM_SETRANGE carries two unsigned 16-bit bounds; the answer packs the old pair.
    EXPECT_EQ(0x00640000, Send(PBM_SETRANGE, 0, 0x00C80000));
    PBRANGE range = {-1, -1};
    EXPECT_EQ(0, Send(PBM_GETRANGE, 1, reinterpret_cast<LPARAM>(&range)));
    EXPECT_EQ(0, range.iLow);
    EXPECT_EQ(200, range.iHigh);
    EXPECT_EQ(200, Send(PBM_GETRANGE, 0, 0));
    EXPECT_EQ(0x00C80000, Send(PBM_SETRANGE32, 10, 50));
    EXPECT_EQ(5, Send(PBM_GETPOS)); // not clamped by a range change

    // Colours: the default stands for the system colour until one is stored,
    // and a setter answers with the previous stored value.
    EXPECT_EQ(static_cast<LRESULT>(::GetSysColor(COLOR_HIGHLIGHT)), Send(ui::TPCM_GETBARCOLOR));
    EXPECT_EQ(static_cast<LRESULT>(CLR_DEFAULT), Send(PBM_SETBARCOLOR, 0, kBar));
    EXPECT_EQ(static_cast<LRESULT>(kBar), Send(PBM_SETBARCOLOR, 0, RGB(1, 2, 3)));
    EXPECT_EQ(static_cast<LRESULT>(RGB(1, 2, 3)), Send(ui::TPCM_GETBARCOLOR));
    EXPECT_EQ(static_cast<LRESULT>(::GetSysColor(COLOR_BTNFACE)), Send(ui::TPCM_GETBKCOLOR));
    EXPECT_EQ(static_cast<LRESULT>(CLR_DEFAULT), Send(PBM_SETBKCOLOR, 0, kBack));
    EXPECT_EQ(static_cast<LRESULT>(kBack), Send(ui::TPCM_GETBKCOLOR));
    EXPECT_EQ(static_cast<LRESULT>(::GetSysColor(COLOR_WINDOWTEXT)), Send(ui::TPCM_GETTEXTCOLOR));
    EXPECT_EQ(static_cast<LRESULT>(CLR_DEFAULT), Send(ui::TPCM_SETTEXTCOLOR, 0, kText));
    EXPECT_EQ(static_cast<LRESULT>(kText), Send(ui::TPCM_GETTEXTCOLOR));
    EXPECT_EQ(static_cast<LRESULT>(::GetSysColor(COLOR_WINDOW)), Send(ui::TPCM_GETBARTEXTCOLOR));
    EXPECT_EQ(static_cast<LRESULT>(CLR_DEFAULT), Send(ui::TPCM_SETBARTEXTCOLOR, 0, kTextOverBar));
    EXPECT_EQ(static_cast<LRESULT>(kTextOverBar), Send(ui::TPCM_GETBARTEXTCOLOR));

    EXPECT_EQ(1, Send(ui::TPCM_SHOWPERCENT, 0));
    EXPECT_EQ(0, Send(ui::TPCM_SHOWPERCENT, 1));
    EXPECT_EQ(1, Send(ui::TPCM_SETTEXTALIGN, 2));
    EXPECT_EQ(2, Send(ui::TPCM_SETTEXTALIGN, 1));
    EXPECT_EQ(30, Send(ui::TPCM_SETMARQUEESIZE, 30));
}

TEST_F(ProgressFixture, MarqueeTurnsThePercentageOffAndExtendsTheRange) {
    EXPECT_EQ(25, Send(PBM_SETMARQUEE, 25, 30));
    EXPECT_NE(0, ::GetWindowLongPtrA(hwnd, GWL_STYLE) & PBS_MARQUEE);
    EXPECT_EQ(0, Send(ui::TPCM_SHOWPERCENT, 1)); // the marquee turned it off
    Send(PBM_SETPOS, 150);
    EXPECT_EQ(120, Send(PBM_GETPOS));

    EXPECT_EQ(0, Send(PBM_SETMARQUEE, 0, 0));
    EXPECT_EQ(0, ::GetWindowLongPtrA(hwnd, GWL_STYLE) & PBS_MARQUEE);
    EXPECT_EQ(0, Send(ui::TPCM_SHOWPERCENT, 1)); // off again, also when stopping
    Send(PBM_SETPOS, 150);
    EXPECT_EQ(100, Send(PBM_GETPOS));
}

TEST_F(ProgressFixture, BarWidthIsTruncatedInsideTheLineBorder) {
    Colour();
    Send(ui::TPCM_SHOWPERCENT, 0);
    Send(PBM_SETRANGE32, 0, 3);
    Send(PBM_SETPOS, 2); // 66.67 of 100 interior pixels
    EXPECT_EQ(RGB(22, 37, 51), PixelAt(hwnd, 0, 0));
    EXPECT_EQ(RGB(22, 37, 51), PixelAt(hwnd, 103, 23));
    EXPECT_EQ(RGB(0, 0, 0), PixelAt(hwnd, 1, 1));
    EXPECT_EQ(kBar, PixelAt(hwnd, 2, 2));
    EXPECT_EQ(kBar, PixelAt(hwnd, 67, 12));
    EXPECT_EQ(kBack, PixelAt(hwnd, 68, 12));

    Send(PBM_SETPOS, 3);
    EXPECT_EQ(kBar, PixelAt(hwnd, 101, 21));
    EXPECT_EQ(RGB(0, 0, 0), PixelAt(hwnd, 102, 12)); // the inner border line stays
}

TEST_F(ProgressFixture, TextChangesColourExactlyAtTheBarsEdge) {
    Colour();
    Send(ui::TPCM_SHOWPERCENT, 0);
    ::SetWindowTextA(hwnd, "MMMMMMMMMMMMMMMMMMMMMMMM");
    Send(PBM_SETPOS, 50); // edge between columns 51 and 52
    EXPECT_GT(CountNear(kTextOverBar, 40, 52), 0);
    EXPECT_EQ(0, CountNear(kText, 2, 52));
    EXPECT_GT(CountNear(kText, 52, 64), 0);
    EXPECT_EQ(0, CountNear(kTextOverBar, 52, 102));
}

TEST_F(ProgressFixture, PercentageIsAppendedToTheWindowText) {
    Colour();
    Send(PBM_SETPOS, 45);
    ::SetWindowTextA(hwnd, "Load");
    const std::vector<COLORREF> withPercent = Interior();

    Send(ui::TPCM_SHOWPERCENT, 0);
    ::SetWindowTextA(hwnd, "Load45%");
    EXPECT_EQ(withPercent, Interior());
    EXPECT_GT(CountNear(kText, 2, 102) + CountNear(kTextOverBar, 2, 102), 0);

    // No percentage and no window text: no text at all.
    ::SetWindowTextA(hwnd, "");
    ::InvalidateRect(hwnd, nullptr, FALSE);
    EXPECT_EQ(0, CountNear(kText, 2, 102) + CountNear(kTextOverBar, 2, 102));
}

TEST(ProgressVertical, FillsFromTheBottomAndTheMarqueeTicks) {
    uitest::HostWindow host(RGB(40, 40, 40), 100, 140);
    HWND hwnd = host.AddChild(PROGRESS_CLASSA, PBS_SMOOTH | PBS_VERTICAL, 10, 10, 24, 104, 1000);
    ui::CTextProgressCtrl bar;
    bar.SubclassWindow(hwnd);
    bar.SetLineBorder(RGB(22, 37, 51), RGB(0, 0, 0));
    ::SendMessageA(hwnd, PBM_SETBARCOLOR, 0, kBar);
    ::SendMessageA(hwnd, PBM_SETBKCOLOR, 0, kBack);
    ::SendMessageA(hwnd, ui::TPCM_SHOWPERCENT, 0, 0);
    ::SendMessageA(hwnd, PBM_SETPOS, 50, 0); // interior rows 2..101: bar from row 52
    EXPECT_EQ(kBack, PixelAt(hwnd, 12, 51));
    EXPECT_EQ(kBar, PixelAt(hwnd, 12, 52));
    EXPECT_EQ(kBar, PixelAt(hwnd, 12, 101));

    // The marquee moves the block one position per tick of timer 1 (in the
    // direction all bars share).
    ::SendMessageA(hwnd, PBM_SETMARQUEE, 1, 1);
    auto moved = [&] { return std::abs(::SendMessageA(hwnd, PBM_GETPOS, 0, 0) - 50); };
    const DWORD start = ::GetTickCount();
    while (moved() < 3 && ::GetTickCount() - start < 5000) {
        uitest::Pump();
        ::Sleep(1);
    }
    EXPECT_GE(moved(), 3);
    ::SendMessageA(hwnd, PBM_SETMARQUEE, 0, 0);
}

TEST_F(ProgressFixture, EmptyRangePaintsNothing) {
    Colour();
    Send(PBM_SETPOS, 50);
    Send(PBM_SETRANGE32, 7, 7);
    {
        win::ClientDC dc(hwnd);
        RECT all = {0, 0, 104, 24};
        win::GdiObject<HBRUSH> magenta(::CreateSolidBrush(RGB(255, 0, 255)));
        ::FillRect(dc.Get(), &all, magenta.Get());
    }
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(RGB(255, 0, 255), PixelAt(hwnd, 0, 0));
    EXPECT_EQ(RGB(255, 0, 255), PixelAt(hwnd, 20, 12));
    RECT update;
    EXPECT_FALSE(::GetUpdateRect(hwnd, &update, FALSE)); // still validated
}

} // namespace
