// Commands that look at windows and controls without changing them.

#include "Commands.h"
#include "Output.h"
#include "WindowAccess.h"

#include <commctrl.h>

namespace driver {

int cmdFind(const Options& options) {
    HWND hwnd = waitWindow(selectorFrom(options), options.timeout(kDefaultWaitMs));
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    printLine("hwnd=" + hex(hwnd) + " pid=" + std::to_string(pid));
    return kExitOk;
}

int cmdWindow(const Options& options) {
    HWND hwnd = waitWindow(selectorFrom(options), options.timeout(0));
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    printLine("x=" + std::to_string(rect.left) + " y=" + std::to_string(rect.top) +
              " w=" + std::to_string(rect.right - rect.left) +
              " h=" + std::to_string(rect.bottom - rect.top) +
              " visible=" + (IsWindowVisible(hwnd) ? "1" : "0") + " enabled=" +
              (IsWindowEnabled(hwnd) ? "1" : "0") + " text=" + escaped(captionOf(hwnd)));
    return kExitOk;
}

int cmdControls(const Options& options) {
    HWND hwnd = waitWindow(selectorFrom(options), options.timeout(0));
    for (const Control& control : controlsOf(hwnd))
        printLine(controlLine(control));
    return kExitOk;
}

int cmdControl(const Options& options) {
    const int id = static_cast<int>(options.number("id"));
    printLine(controlLine(waitControl(selectorFrom(options), id, options.timeout(0))));
    return kExitOk;
}

int cmdWaitControl(const Options& options) {
    const Selector selector = selectorFrom(options);
    const int id = static_cast<int>(options.number("id"));
    const bool checkEnabled = options.has("enabled");
    const long wantEnabled = checkEnabled ? options.number("enabled") : 0;
    if (checkEnabled && wantEnabled != 0 && wantEnabled != 1)
        throw UsageError{"--enabled takes 1 or 0"};
    const bool checkText = options.has("text");
    const std::string wantText = checkText ? options.text("text") : std::string();

    Control found{nullptr, nullptr};
    std::string lastSeen;
    bool ok = pollUntil(options.timeout(kDefaultWaitMs), [&] {
        HWND window = findWindow(selector);
        if (!window || !findControl(window, id, found))
            return false;
        lastSeen = controlLine(found);
        if (checkEnabled && (IsWindowEnabled(found.hwnd) ? 1 : 0) != wantEnabled)
            return false;
        return !checkText || controlText(found.hwnd) == wantText;
    });
    if (!ok) {
        if (lastSeen.empty())
            throw Failure{"no control with id " + std::to_string(id) + " in " +
                          selector.describe()};
        throw Failure{"control did not reach the wanted state; last seen: " + lastSeen};
    }
    printLine(controlLine(found));
    return kExitOk;
}

int cmdProgress(const Options& options) {
    const int id = static_cast<int>(options.number("id"));
    const Control control = waitControl(selectorFrom(options), id, options.timeout(0));
    if (lowerAscii(className(control.hwnd)) != lowerAscii(PROGRESS_CLASSA))
        throw Failure{"control " + std::to_string(id) + " is a " + className(control.hwnd) +
                      ", not a progress bar"};
    DWORD_PTR pos = 0, low = 0, high = 0;
    if (!SendMessageTimeoutA(control.hwnd, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &pos) ||
        !SendMessageTimeoutA(control.hwnd, PBM_GETRANGE, TRUE, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &low) ||
        !SendMessageTimeoutA(control.hwnd, PBM_GETRANGE, FALSE, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &high))
        throw Failure{"progress bar does not answer"};
    printLine("pos=" + std::to_string(static_cast<int>(pos)) +
              " min=" + std::to_string(static_cast<int>(low)) +
              " max=" + std::to_string(static_cast<int>(high)));
    return kExitOk;
}

int cmdNoWindow(const Options& options) {
    const Selector selector = selectorFrom(options);
    if (!pollUntil(options.timeout(kDefaultWaitMs),
                   [&] { return findWindow(selector) == nullptr; }))
        throw Failure{"still there: " + selector.describe()};
    printLine("gone");
    return kExitOk;
}

} // namespace driver
