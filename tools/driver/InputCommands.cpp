// Commands that act on windows as a player would: click, close, key.

#include "Commands.h"
#include "Output.h"
#include "WindowAccess.h"

namespace driver {

// Posted rather than sent: the click may open a modal message box, and the
// driver must stay free to answer it.
int cmdClick(const Options& options) {
    const int id = static_cast<int>(options.number("id"));
    const Control control = waitControl(selectorFrom(options), id, options.timeout(0));
    if (!IsWindowEnabled(control.hwnd))
        throw Failure{"control " + std::to_string(id) + " is disabled"};
    if (!IsWindowVisible(control.hwnd))
        throw Failure{"control " + std::to_string(id) + " is hidden"};
    // A user cannot click into a window that a modal box has disabled either.
    if (!IsWindowEnabled(control.holder))
        throw Failure{"the window holding control " + std::to_string(id) + " is disabled"};
    HWND parent = GetAncestor(control.hwnd, GA_PARENT);
    if (!PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                      reinterpret_cast<LPARAM>(control.hwnd)))
        throw Failure{"cannot post the click"};
    printLine("clicked id=" + std::to_string(id));
    return kExitOk;
}

int cmdClose(const Options& options) {
    HWND hwnd = waitWindow(selectorFrom(options), options.timeout(0));
    if (!PostMessageA(hwnd, WM_CLOSE, 0, 0))
        throw Failure{"cannot post WM_CLOSE"};
    printLine("closed hwnd=" + hex(hwnd));
    return kExitOk;
}

namespace {

bool belongsTo(HWND hwnd, HWND window) {
    HWND root = GetAncestor(hwnd, GA_ROOT);
    return root == window || GetWindow(root, GW_OWNER) == window;
}

HWND ownedPopup(HWND window) {
    for (HWND other : topLevelWindows())
        if (other != window && GetWindow(other, GW_OWNER) == window && IsWindowVisible(other))
            return other;
    throw Failure{"the window owns no visible popup"};
}

} // namespace

// Keys go where a real key press would: to the focused control of the window's
// thread when it is inside the window (or its owned popups), else to the window;
// or, on request, to the window itself or to its popup, as when the player has
// clicked that one.
int cmdKey(const Options& options) {
    const long vk = options.number("vk");
    if (vk <= 0 || vk > 0xFE)
        throw UsageError{"--vk must be a virtual key code 1..254"};
    const bool alt = options.has("alt") && options.number("alt") != 0;
    const std::string to = options.has("to") ? options.text("to") : "focus";
    if (to != "focus" && to != "window" && to != "popup")
        throw UsageError{"--to takes focus, window or popup"};
    HWND window = waitWindow(selectorFrom(options), options.timeout(0));
    HWND target = to == "popup" ? ownedPopup(window) : window;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (to == "focus" && GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) &&
        info.hwndFocus && belongsTo(info.hwndFocus, window))
        target = info.hwndFocus;
    const UINT scan = MapVirtualKeyA(static_cast<UINT>(vk), MAPVK_VK_TO_VSC);
    // Bit 29 is the context code: Alt is down.
    const LPARAM context = alt ? static_cast<LPARAM>(1u << 29) : 0;
    const LPARAM down = static_cast<LPARAM>(1 | (scan << 16)) | context;
    const LPARAM up = static_cast<LPARAM>(1 | (scan << 16) | (1u << 30) | (1u << 31)) | context;
    const UINT downMessage = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    const UINT upMessage = alt ? WM_SYSKEYUP : WM_KEYUP;
    if (!PostMessageA(target, downMessage, static_cast<WPARAM>(vk), down))
        throw Failure{"cannot post the key"};
    // The key press itself may close the window (Escape does), so the release
    // can find it gone; that is not a failure.
    PostMessageA(target, upMessage, static_cast<WPARAM>(vk), up);
    printLine("keyed vk=" + std::to_string(vk) + " hwnd=" + hex(target));
    return kExitOk;
}

} // namespace driver
