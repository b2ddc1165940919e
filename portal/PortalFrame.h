#pragma once

#include "portal/HTMLView.h"
#include "win/Window.h"

#include <memory>

// The hidden child window of the main dialog that holds the portal view and
// keeps it filling its client area, so that the dialog only moves, shows
// and hides the frame. It starts at (10,10)-(200,300); the dialog's layouts
// place it later.
class PortalFrame : public win::Window {
public:
    // The frame and its view in dialog, with the listener set; null (and no
    // window left behind) when the browser control cannot be created, and
    // the dialog then works without the portal.
    static std::unique_ptr<PortalFrame> Create(HWND dialog, IHTMLViewListener* listener);
    ~PortalFrame() override;

    HTMLView& View() { return m_view; }

private:
    PortalFrame() = default;
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HTMLView m_view;
};
