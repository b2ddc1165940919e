#pragma once

#include "ui/GdiPlusBitmap.h"
#include "win/Gdi.h"
#include "win/Control.h"

#include <windows.h>

namespace ui {

// A push button drawn from one image. Its four looks (normal, pressed, hover,
// disabled) are composed once over the parent's pixels behind the button, at
// the first control-colour request, so each repaint is a single copy.
class CGdipButton : public win::Control {
public:
    CGdipButton() = default;
    ~CGdipButton() override;

    // Loads the image from the program's own resources; before the first paint.
    bool SetImageResource(UINT id, LPCSTR type);
    // 2: the disabled look; 0: the standard looks.
    void SetImageType(int type);
    void ReleaseImages();

    bool PreTranslateMessage(MSG& msg) override;

protected:
    void PreSubclassWindow() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnReflectedMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void BuildStateImages(HDC dc);
    void CaptureBackground(int width, int height);
    void DrawItem(const DRAWITEMSTRUCT& item);
    void Invalidate();

    BOOL m_bImagesBuilt = FALSE;
    BOOL m_bDisabled = FALSE;
    BOOL m_bHovering = FALSE;
    BOOL m_bTracking = FALSE;
    CGdiPlusBitmapResource* m_pButtonImage = nullptr;
    win::BitmapDC m_dcBackground;
    win::BitmapDC m_dcNormal;
    win::BitmapDC m_dcPressed;
    win::BitmapDC m_dcHover;
    win::BitmapDC m_dcDisabled;
    win::BitmapDC* m_pCurrentDC = nullptr;
};

} // namespace ui
