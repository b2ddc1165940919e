// Finding the launcher's windows and controls from outside, without ever
// blocking on a hung window.

#pragma once

#include "Options.h"

#include <windows.h>

#include <string>
#include <vector>

namespace driver {

// Keeps trying until the condition holds or the time is up; always tries once.
template <typename Condition> bool pollUntil(DWORD timeoutMs, Condition condition) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(kPollMs);
    }
}

std::vector<HWND> topLevelWindows();
std::vector<HWND> childWindows(HWND parent);
std::string className(HWND hwnd);

// Caption as stored by the system; never sends a message, so a hung window
// cannot block the driver.
std::string captionOf(HWND hwnd);

// Controls such as edits keep their own text, which only WM_GETTEXT returns.
std::string controlText(HWND hwnd);

struct Selector {
    bool hasTitle = false;
    bool hasClass = false;
    bool visibleOnly = false;
    std::string title;
    std::string windowClass;

    bool matches(HWND hwnd) const;
    std::string describe() const;
};

Selector selectorFrom(const Options& options);
HWND findWindow(const Selector& selector);
// Throws a Failure when no such window appears in time.
HWND waitWindow(const Selector& selector, DWORD timeoutMs);

// A control together with the top-level window whose client area its
// coordinates are given in.
struct Control {
    HWND hwnd;
    HWND holder;
};

std::vector<Control> controlsOf(HWND window);
bool findControl(HWND window, int id, Control& found);
Control waitControl(const Selector& selector, int id, DWORD timeoutMs);
// The CONTROL line of the usage text.
std::string controlLine(const Control& control);

} // namespace driver
