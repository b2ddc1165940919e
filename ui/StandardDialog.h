#pragma once

#include "win/Dialog.h"
#include "win/Gdi.h"

#include <windows.h>

namespace ui {

// The colour-keyed popup that holds the controls over the translucent frame:
// its background is one key colour that the platform makes fully transparent,
// so only its controls show over the skin. It closes together with its parent.
class CStandardDialog : public win::Dialog {
public:
    CStandardDialog(UINT templateId, COLORREF colorKey, win::Window* parent);
    ~CStandardDialog() override;

    // Creates the popup over its parent (modeless).
    bool Create();
    win::Window* GetParentWindow() const { return m_pParent; }

    // Closes the parent first, then ends this dialog with the given result.
    void CloseWithParent(int result);
    // True once this dialog has begun closing the pair: the parent's close
    // then comes from us, not from the player.
    bool IsClosingWithParent() const { return m_bClosingWithParent; }

    // A close the player asked for on either window (the frame's close
    // button on the taskbar, Alt+F4, Escape on the frame): it takes the same
    // path as the dialog's cancel command, which decides whether and how the
    // pair closes.
    void RequestClose() { OnCancel(); }

    // The parent frame's close notification; derived dialogs save their state
    // here.
    virtual void OnClose();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    COLORREF m_colorKey;
    win::GdiObject<HBRUSH> m_brush;

private:
    void CloseParent();

    win::Window* m_pParent;
    bool m_bClosingWithParent = false;
};

} // namespace ui
