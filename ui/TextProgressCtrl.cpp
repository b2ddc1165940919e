#include "ui/TextProgressCtrl.h"

#include "ui/MemDC.h"

#include <commctrl.h>

#include <string>

namespace ui {

namespace {

const UINT_PTR kMarqueeTimer = 1;

// The marquee's direction is one value for every bar of the program.
int g_marqueeDirection = 1;

COLORREF Effective(ColorRef stored, int systemColor) {
    return stored == kDefaultColor ? ::GetSysColor(systemColor) : static_cast<COLORREF>(stored);
}

RECT ToRECT(const Rect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

Rect FromRECT(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

std::string WindowText(HWND hwnd) {
    const int length = ::GetWindowTextLengthA(hwnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(hwnd, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

void FillSolidRect(HDC dc, const Rect& area, COLORREF color) {
    const RECT r = ToRECT(area);
    ::SetBkColor(dc, color);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

void FrameRectangle(HDC dc, const RECT& r, COLORREF color) {
    win::GdiObject<HPEN> pen(::CreatePen(PS_SOLID, 1, color));
    win::SelectGuard penGuard(dc, pen.Get());
    win::SelectGuard brushGuard(dc, ::GetStockObject(NULL_BRUSH));
    ::Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

} // namespace

CTextProgressCtrl::~CTextProgressCtrl() = default;

void CTextProgressCtrl::SetLineBorder(COLORREF outer, COLORREF inner) {
    m_state.m_bLineBorder = true;
    m_state.m_crBorderOuter = outer;
    m_state.m_crBorderInner = inner;
}

bool CTextProgressCtrl::IsMarquee() const {
    return (::GetWindowLongPtrA(m_hWnd, GWL_STYLE) & PBS_MARQUEE) != 0;
}

bool CTextProgressCtrl::IsVertical() const {
    return (::GetWindowLongPtrA(m_hWnd, GWL_STYLE) & PBS_VERTICAL) != 0;
}

void CTextProgressCtrl::Repaint() {
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

int CTextProgressCtrl::SetPos(int pos) {
    const int previous = SetPosition(m_state, pos, IsMarquee());
    Repaint();
    return previous;
}

COLORREF CTextProgressCtrl::BarColor() const {
    return Effective(m_state.m_crBarColor, COLOR_HIGHLIGHT);
}
COLORREF CTextProgressCtrl::BkColor() const {
    return Effective(m_state.m_crBkColor, COLOR_BTNFACE);
}
COLORREF CTextProgressCtrl::TextColor() const {
    return Effective(m_state.m_crTextColor, COLOR_WINDOWTEXT);
}
COLORREF CTextProgressCtrl::BarTextColor() const {
    return Effective(m_state.m_crBarTextColor, COLOR_WINDOW);
}

LRESULT CTextProgressCtrl::SetColor(ColorRef& field, LPARAM value) {
    Repaint();
    const ColorRef previous = field;
    field = static_cast<ColorRef>(value);
    return static_cast<LRESULT>(previous);
}

void CTextProgressCtrl::SetMarquee(bool on, UINT interval) {
    Repaint();
    m_state.m_bAppendPercent = 0;
    if (on) {
        ModifyStyle(0, PBS_MARQUEE);
        ::SetTimer(m_hWnd, kMarqueeTimer, interval, nullptr);
    } else {
        ::KillTimer(m_hWnd, kMarqueeTimer);
        ModifyStyle(PBS_MARQUEE, 0);
    }
}

void CTextProgressCtrl::OnMarqueeTimer() {
    const int pos = static_cast<int>(::SendMessageA(m_hWnd, PBM_GETPOS, 0, 0));
    ProgressState probe = m_state;
    probe.m_nPos = pos;
    const int next = NextMarqueePosition(probe, g_marqueeDirection);
    ::SendMessageA(m_hWnd, PBM_SETPOS, static_cast<WPARAM>(next), 0);
}

bool CTextProgressCtrl::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (msg) {
    case WM_ERASEBKGND:
        return true;
    case WM_PAINT:
        OnPaint();
        return true;
    case WM_TIMER:
        if (wParam == kMarqueeTimer)
            OnMarqueeTimer();
        return true;
    case PBM_SETRANGE:
        result = static_cast<LRESULT>(SetRange(m_state, LOWORD(static_cast<DWORD>(lParam)),
                                               HIWORD(static_cast<DWORD>(lParam))));
        return true;
    case PBM_SETPOS:
        result = SetPos(static_cast<int>(wParam));
        return true;
    case PBM_DELTAPOS:
        result = DeltaPosition(m_state, static_cast<int>(wParam), IsMarquee());
        Repaint();
        return true;
    case PBM_SETSTEP:
        result = m_state.m_nStep;
        m_state.m_nStep = static_cast<int>(wParam);
        return true;
    case PBM_STEPIT:
        result = StepPosition(m_state, IsMarquee());
        Repaint();
        return true;
    case PBM_SETRANGE32:
        result = static_cast<LRESULT>(
            SetRange(m_state, static_cast<int>(wParam), static_cast<int>(lParam)));
        return true;
    case PBM_GETRANGE:
        if (auto* range = reinterpret_cast<PBRANGE*>(lParam)) {
            range->iLow = m_state.m_nMin;
            range->iHigh = m_state.m_nMax;
        }
        result = wParam ? m_state.m_nMin : m_state.m_nMax;
        return true;
    case PBM_GETPOS:
        result = m_state.m_nPos;
        return true;
    case PBM_SETBARCOLOR:
        result = SetColor(m_state.m_crBarColor, lParam);
        return true;
    case PBM_SETMARQUEE:
        SetMarquee(wParam != 0, static_cast<UINT>(lParam));
        result = static_cast<LRESULT>(wParam);
        return true;
    case PBM_SETBKCOLOR:
        result = SetColor(m_state.m_crBkColor, lParam);
        return true;
    case TPCM_GETBARCOLOR:
        result = BarColor();
        return true;
    case TPCM_GETBKCOLOR:
        result = BkColor();
        return true;
    case TPCM_SETTEXTCOLOR:
        result = SetColor(m_state.m_crTextColor, lParam);
        return true;
    case TPCM_GETTEXTCOLOR:
        result = TextColor();
        return true;
    case TPCM_SETBARTEXTCOLOR:
        result = SetColor(m_state.m_crBarTextColor, lParam);
        return true;
    case TPCM_GETBARTEXTCOLOR:
        result = BarTextColor();
        return true;
    case TPCM_SHOWPERCENT:
        Repaint();
        result = m_state.m_bAppendPercent;
        m_state.m_bAppendPercent = static_cast<int>(wParam);
        return true;
    case TPCM_SETTEXTALIGN:
        Repaint();
        result = m_state.m_nTextPlacement;
        m_state.m_nTextPlacement = static_cast<int>(wParam);
        return true;
    case TPCM_SETMARQUEESIZE:
        Repaint();
        m_state.m_nBlockPercent = static_cast<int>(wParam);
        result = m_state.m_nBlockPercent;
        return true;
    default:
        return false;
    }
}

void CTextProgressCtrl::OnPaint() {
    if (IsRangeEmpty(m_state)) {
        ::ValidateRect(m_hWnd, nullptr);
        return;
    }
    win::PaintDC paint(m_hWnd);
    CMemDC memory(paint.Get(), RECT{}, FALSE);
    HDC dc = memory.GetSafeHdc();
    win::SelectGuard fontGuard(dc, PaintFont());

    const RECT inside = DrawBorder(dc);
    const bool vertical = IsVertical();
    if (vertical)
        MakeRotatedFont();
    const Rect interior = FromRECT(inside);
    const ProgressAreas areas = LayOutAreas(interior, m_state, vertical, IsMarquee());
    FillAreas(dc, areas);
    DrawLabel(dc, inside, areas, vertical);
}

HGDIOBJ CTextProgressCtrl::PaintFont() const {
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0));
    if (!font)
        font = reinterpret_cast<HFONT>(::SendMessageA(::GetParent(m_hWnd), WM_GETFONT, 0, 0));
    return font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(SYSTEM_FONT);
}

RECT CTextProgressCtrl::DrawBorder(HDC dc) const {
    RECT r;
    ::GetClientRect(m_hWnd, &r);
    if (m_state.m_bLineBorder) {
        FrameRectangle(dc, r, m_state.m_crBorderOuter);
        ::InflateRect(&r, -1, -1);
        FrameRectangle(dc, r, m_state.m_crBorderInner);
        ::InflateRect(&r, -1, -1);
    } else {
        ::DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST | BF_FLAT);
    }
    return r;
}

// A vertical bar writes its text upwards, in its own font turned by 90 degrees.
void CTextProgressCtrl::MakeRotatedFont() {
    if (m_fontRotated.Get())
        return;
    HFONT own = reinterpret_cast<HFONT>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0));
    LOGFONTA logfont;
    if (own && ::GetObjectA(own, sizeof logfont, &logfont) == sizeof logfont) {
        logfont.lfEscapement = 900;
        logfont.lfOrientation = 900;
        m_fontRotated.Reset(::CreateFontIndirectA(&logfont));
    }
}

void CTextProgressCtrl::FillAreas(HDC dc, const ProgressAreas& areas) const {
    const COLORREF bkColor = BkColor();
    if (areas.hasLead)
        FillSolidRect(dc, areas.lead, bkColor);
    FillSolidRect(dc, areas.bar, BarColor());
    if (areas.hasRest)
        FillSolidRect(dc, areas.rest, bkColor);
}

// The text is drawn once per area, clipped to it, in that area's colour.
void CTextProgressCtrl::DrawLabel(HDC dc, const RECT& inside, const ProgressAreas& areas,
                                  bool vertical) const {
    const std::string text = ProgressText(WindowText(m_hWnd), m_state);
    if (text.empty())
        return;

    // The rotated font stays selected only while the text is measured and drawn.
    const bool rotated = vertical && m_fontRotated.Get();
    win::SelectGuard rotatedGuard(dc, rotated ? static_cast<HGDIOBJ>(m_fontRotated.Get())
                                              : ::GetCurrentObject(dc, OBJ_FONT));
    SIZE extent = {};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    const Point origin =
        PlaceText(FromRECT(inside), m_state.m_nTextPlacement, vertical, extent.cx, extent.cy);

    ::SetBkMode(dc, TRANSPARENT);
    const COLORREF textColor = TextColor();
    const struct {
        bool present;
        const Rect& area;
        COLORREF color;
    } parts[] = {{areas.hasLead, areas.lead, textColor},
                 {true, areas.bar, BarTextColor()},
                 {areas.hasRest, areas.rest, textColor}};
    for (const auto& part : parts) {
        if (!part.present)
            continue;
        // The clip region is in device coordinates, which in the off-screen
        // context start at the painted area's corner.
        RECT clip = ToRECT(part.area);
        ::LPtoDP(dc, reinterpret_cast<POINT*>(&clip), 2);
        win::GdiObject<HRGN> region(::CreateRectRgnIndirect(&clip));
        ::SelectClipRgn(dc, region.Get());
        ::SetTextColor(dc, part.color);
        ::ExtTextOutA(dc, origin.x, origin.y, ETO_CLIPPED, &inside, text.c_str(),
                      static_cast<UINT>(text.size()), nullptr);
        ::SelectClipRgn(dc, nullptr);
    }
}

} // namespace ui
