#pragma once

#include "ui/StandardDialog.h"
#include "win/Dialog.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

namespace ui {

// The frame of the launcher: a captionless layered window whose whole look is
// a PNG with per-pixel alpha. It creates the colour-keyed popup that holds the
// controls, keeps it exactly over itself and closes it with itself. The
// player drags the pair by the skin.
class CTranslucentDialog : public win::Dialog {
public:
    // The frame's owner, if any, is given to DoModal.
    CTranslucentDialog(UINT templateId, UINT imageId, LPCSTR imageType, HMODULE module);
    ~CTranslucentDialog() override;

    // Gives the window a new size, centres it on the screen (above the
    // taskbar allowance) and redraws the skin; before the popup exists only
    // the size is kept.
    void SetSizeAndCenter(int cx, int cy);
    // Draws the skin into the layered window at the current size.
    void UpdateLayered();

protected:
    // The popup's object; the frame creates its window and owns the object.
    virtual std::unique_ptr<CStandardDialog> CreateChildDialog() = 0;
    // Runs once during initialisation, before the first redraw.
    virtual void OnInitTranslucent() = 0;

    BOOL OnInitDialog() override;
    // Enter on the frame (after the player clicked the skin) does nothing;
    // Escape is a close request like any other.
    void OnOK() override {}
    void OnCancel() override { OnClose(); }
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    BLENDFUNCTION m_blend;
    std::unique_ptr<Gdiplus::Image> m_pImage;
    bool m_bDragMove = true;
    bool m_bCenter = true;
    std::unique_ptr<CStandardDialog> m_pChild;
    int m_width = 0;
    int m_height = 0;

private:
    void OnCreate();
    void OnClose();
    int SkinWidth() const;
    int SkinHeight() const;
};

} // namespace ui
