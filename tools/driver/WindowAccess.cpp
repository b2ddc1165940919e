#include "WindowAccess.h"

#include "Output.h"

#include <algorithm>

namespace driver {

namespace {

BOOL CALLBACK collectWindow(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

} // namespace

std::vector<HWND> topLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> childWindows(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(parent, collectWindow, reinterpret_cast<LPARAM>(&children));
    return children;
}

std::string className(HWND hwnd) {
    char buffer[256] = {};
    int len = GetClassNameA(hwnd, buffer, sizeof buffer);
    return std::string(buffer, len > 0 ? len : 0);
}

std::string captionOf(HWND hwnd) {
    int len = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<size_t>(len) + 1, '\0');
    int got = GetWindowTextA(hwnd, &text[0], len + 1);
    text.resize(got > 0 ? got : 0);
    return text;
}

std::string controlText(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &length))
        return captionOf(hwnd);
    // Room for a multibyte conversion that comes out longer than the length said.
    std::string text(static_cast<size_t>(length) * 2 + 2, '\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &got))
        return captionOf(hwnd);
    text.resize(std::min<size_t>(static_cast<size_t>(got), text.size()));
    return text;
}

bool Selector::matches(HWND hwnd) const {
    if (visibleOnly && !IsWindowVisible(hwnd))
        return false;
    if (hasClass && className(hwnd) != windowClass)
        return false;
    if (hasTitle && captionOf(hwnd) != title)
        return false;
    return true;
}

std::string Selector::describe() const {
    std::string what = "window";
    if (hasTitle)
        what += " titled '" + title + "'";
    if (hasClass)
        what += " of class '" + windowClass + "'";
    if (visibleOnly)
        what = "visible " + what;
    return what;
}

Selector selectorFrom(const Options& options) {
    Selector selector;
    selector.hasTitle = options.has("title");
    selector.hasClass = options.has("class");
    if (!selector.hasTitle && !selector.hasClass)
        throw UsageError{"give --title and/or --class"};
    if (selector.hasTitle)
        selector.title = options.text("title");
    if (selector.hasClass)
        selector.windowClass = options.text("class");
    selector.visibleOnly = options.visible;
    return selector;
}

HWND findWindow(const Selector& selector) {
    for (HWND hwnd : topLevelWindows())
        if (selector.matches(hwnd))
            return hwnd;
    return nullptr;
}

HWND waitWindow(const Selector& selector, DWORD timeoutMs) {
    HWND found = nullptr;
    if (!pollUntil(timeoutMs, [&] { return (found = findWindow(selector)) != nullptr; }))
        throw Failure{"no " + selector.describe()};
    return found;
}

// The launcher keeps its controls in an untitled popup owned by the frame, so the
// visible windows owned by the frame are searched together with it.
std::vector<Control> controlsOf(HWND window) {
    std::vector<HWND> holders{window};
    for (HWND other : topLevelWindows())
        if (other != window && GetWindow(other, GW_OWNER) == window && IsWindowVisible(other))
            holders.push_back(other);
    std::vector<Control> controls;
    for (HWND holder : holders)
        for (HWND child : childWindows(holder))
            controls.push_back(Control{child, holder});
    return controls;
}

bool findControl(HWND window, int id, Control& found) {
    for (const Control& control : controlsOf(window)) {
        if (GetDlgCtrlID(control.hwnd) == id) {
            found = control;
            return true;
        }
    }

    return false;
}

// Waits for the window and the control in it; the window may be recreated
// meanwhile, so both are looked up again on every try.
Control waitControl(const Selector& selector, int id, DWORD timeoutMs) {
    Control found{nullptr, nullptr};
    bool windowSeen = false;
    bool ok = pollUntil(timeoutMs, [&] {
        HWND window = findWindow(selector);
        windowSeen = windowSeen || window != nullptr;
        return window && findControl(window, id, found);
    });
    if (!ok) {
        if (!windowSeen)
            throw Failure{"no " + selector.describe()};
        throw Failure{"no control with id " + std::to_string(id) + " in " + selector.describe()};
    }

    return found;
}

std::string controlLine(const Control& control) {
    RECT rect{};
    GetWindowRect(control.hwnd, &rect);
    POINT origin{rect.left, rect.top};
    ScreenToClient(control.holder, &origin);
    return "id=" + std::to_string(GetDlgCtrlID(control.hwnd)) +
           " class=" + escaped(className(control.hwnd)) + " x=" + std::to_string(origin.x) +
           " y=" + std::to_string(origin.y) + " w=" + std::to_string(rect.right - rect.left) +
           " h=" + std::to_string(rect.bottom - rect.top) +
           " visible=" + (IsWindowVisible(control.hwnd) ? "1" : "0") +
           " enabled=" + (IsWindowEnabled(control.hwnd) ? "1" : "0") +
           " text=" + escaped(controlText(control.hwnd));
}

} // namespace driver
