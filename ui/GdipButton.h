#pragma once

#include "ui/GdiPlusBitmap.h"
#include "win/Control.h"
#include "win/Gdi.h"

#include <windows.h>

#include <memory>

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
    // Which looks the button shows; other values change nothing.
    static constexpr int kStandardLooks = 0;
    static constexpr int kDisabledLook = 2;
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
    std::unique_ptr<CGdiPlusBitmapResource> m_pButtonImage;
    win::BitmapDC m_dcBackground;
    win::BitmapDC m_dcNormal;
    win::BitmapDC m_dcPressed;
    win::BitmapDC m_dcHover;
    win::BitmapDC m_dcDisabled;
    win::BitmapDC* m_pCurrentDC = nullptr;
};

} // namespace ui
