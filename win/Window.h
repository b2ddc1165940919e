#pragma once

#include "win/Caught.h"

#include <windows.h>

namespace win {

// One C++ object per window. The object does not own the window; it is found
// again from the handle through a window property, which works alike for
// dialogs, plain windows and subclassed controls.
class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    static Window* FromHandle(HWND hwnd);

    // Offered every message of the modal loop before it is dispatched, from the
    // target window up to its top-level window. True swallows the message.
    virtual bool PreTranslateMessage(MSG& msg);

    // Runs the chain above for one message; true when a window swallowed it or
    // the top-level dialog consumed it as dialog navigation.
    static bool PreTranslateChain(MSG& msg);

protected:
    // Runs a message handler for a window procedure. An exception must never
    // unwind through the system's code: one is reported and counts as "not
    // handled".
    template <class Handler> static auto Guarded(Handler handler) -> decltype(handler()) {
        try {
            return handler();
        } catch (...) {
            ReportCaught("a window procedure");
            return {};
        }
    }

    void Attach(HWND hwnd);
    void Detach();

    HWND m_hWnd = nullptr;
};

} // namespace win
