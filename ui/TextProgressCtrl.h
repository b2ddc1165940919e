#pragma once

#include "ui/ProgressLogic.h"
#include "win/Control.h"
#include "win/Gdi.h"

#include <windows.h>

namespace ui {

// The progress bar's own messages, next to the platform's PBM_* set.
enum : UINT {
    TPCM_GETBARCOLOR = 0x0464,
    TPCM_GETBKCOLOR = 0x0465,
    TPCM_SETTEXTCOLOR = 0x0466,
    TPCM_GETTEXTCOLOR = 0x0467,
    TPCM_SETBARTEXTCOLOR = 0x0468,
    TPCM_GETBARTEXTCOLOR = 0x0469,
    TPCM_SHOWPERCENT = 0x046A,
    TPCM_SETTEXTALIGN = 0x046B,
    TPCM_SETMARQUEESIZE = 0x046C,
};

// A progress bar that paints itself: the bar, the unfilled rest, a frame and a
// line of text (the window text, optionally followed by the percentage) that
// changes colour where it crosses the bar's edge. It answers the progress
// messages itself; the platform control underneath keeps no state of ours.
class CTextProgressCtrl : public win::Control {
public:
    CTextProgressCtrl() = default;
    ~CTextProgressCtrl() override;

    // Draws two 1-pixel lines (outer, then inner) instead of the sunken edge.
    void SetLineBorder(COLORREF outer, COLORREF inner);

protected:
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool IsMarquee() const;
    bool IsVertical() const;
    void Repaint();
    int SetPos(int pos);
    void OnMarqueeTimer();
    // The paint, in its steps: the font, the border (giving the area inside
    // it), the areas of the bar, and the text over them.
    void OnPaint();
    HGDIOBJ PaintFont() const;
    RECT DrawBorder(HDC dc) const;
    void MakeRotatedFont();
    void FillAreas(HDC dc, const ProgressAreas& areas) const;
    void DrawLabel(HDC dc, const RECT& inside, const ProgressAreas& areas, bool vertical) const;
    void SetMarquee(bool on, UINT interval);
    // Stores a colour after the repaint; the new value shows from the next paint.
    LRESULT SetColor(ColorRef& field, LPARAM value);

    COLORREF BarColor() const;
    COLORREF BkColor() const;
    COLORREF TextColor() const;
    COLORREF BarTextColor() const;

    ProgressState m_state;
    win::GdiObject<HFONT> m_fontRotated;
};

} // namespace ui
