#pragma once

#include "portal/HTMLView.h"
#include "win/ChildWindow.h"

#include <memory>

// The hidden child window of the main dialog that holds the portal view and
// keeps it filling its client area, so that the dialog only moves, shows
// and hides the frame. It starts at (10,10)-(200,300); the dialog's layouts
// place it later.
class PortalFrame : public win::ChildWindow {
public:
    // The frame and its view in dialog, with the listener set; null (and no
    // window left behind) when the browser control cannot be created, and
    // the dialog then works without the portal.
    static std::unique_ptr<PortalFrame> Create(HWND dialog, IHTMLViewListener* listener);
    HTMLView& View() { return m_view; }

private:
    PortalFrame() = default;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    HTMLView m_view;
};
