// Message boxes: recognising one among the top-level windows, and the msgbox
// and answer commands.

#include "Commands.h"
#include "Output.h"
#include "WindowAccess.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace driver {

namespace {

struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::string caption;
    std::string text;
    std::vector<std::pair<int, HWND>> buttons; // ascending ids
};

// A message box is a visible dialog with the message in a static of id 0xFFFF and
// only the standard answer buttons (IDOK..IDCONTINUE). The button rule keeps a
// launcher dialog that happens to use unnumbered static labels from counting.
bool readMessageBox(HWND hwnd, MessageBoxInfo& info) {
    if (!IsWindowVisible(hwnd) || className(hwnd) != "#32770")
        return false;
    MessageBoxInfo result;
    bool hasText = false;
    for (HWND child : childWindows(hwnd)) {
        if (GetAncestor(child, GA_PARENT) != hwnd)
            continue;
        const int id = GetDlgCtrlID(child);
        const std::string cls = className(child);
        if (lowerAscii(cls) == "static" && (id & 0xFFFF) == 0xFFFF && !hasText) {
            result.text = controlText(child);
            hasText = true;
        } else if (lowerAscii(cls) == "button" && IsWindowVisible(child)) {
            if (id < IDOK || id > IDCONTINUE)
                return false;
            result.buttons.emplace_back(id, child);
        }
    }
    if (!hasText || result.buttons.empty())
        return false;
    std::sort(result.buttons.begin(), result.buttons.end(),
              [](const std::pair<int, HWND>& a, const std::pair<int, HWND>& b) {
                  return a.first < b.first;
              });
    result.hwnd = hwnd;
    result.caption = captionOf(hwnd);
    info = result;
    return true;
}

MessageBoxInfo waitMessageBox(const Options& options, DWORD timeoutMs) {
    const bool byCaption = options.has("caption");
    const std::string caption = byCaption ? options.text("caption") : std::string();
    MessageBoxInfo info;
    bool ok = pollUntil(timeoutMs, [&] {
        for (HWND hwnd : topLevelWindows())
            if (readMessageBox(hwnd, info) && (!byCaption || info.caption == caption))
                return true;
        return false;
    });
    if (!ok)
        throw Failure{byCaption ? "no message box with caption '" + caption + "'"
                                : std::string("no message box")};
    return info;
}

std::string buttonList(const MessageBoxInfo& info) {
    std::string list;
    for (const auto& button : info.buttons) {
        if (!list.empty())
            list += ',';
        list += std::to_string(button.first);
    }
    return list;
}

} // namespace

int cmdMsgbox(const Options& options) {
    const MessageBoxInfo info = waitMessageBox(options, options.timeout(kDefaultWaitMs));
    printLine("caption=" + escaped(info.caption) + " text=" + escaped(info.text) +
              " buttons=" + buttonList(info));
    return kExitOk;
}

int cmdAnswer(const Options& options) {
    const int button = static_cast<int>(options.number("button"));
    const ULONGLONG start = GetTickCount64();
    const DWORD timeoutMs = options.timeout(kDefaultWaitMs);
    const MessageBoxInfo info = waitMessageBox(options, timeoutMs);
    HWND buttonHwnd = nullptr;
    for (const auto& candidate : info.buttons)
        if (candidate.first == button)
            buttonHwnd = candidate.second;
    if (!buttonHwnd)
        throw Failure{"message box '" + info.caption + "' has no button " + std::to_string(button) +
                      " (buttons " + buttonList(info) + ")"};
    if (!PostMessageA(info.hwnd, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                      reinterpret_cast<LPARAM>(buttonHwnd)))
        throw Failure{"cannot post the answer"};
    const ULONGLONG used = GetTickCount64() - start;
    const DWORD rest = used >= timeoutMs ? 0 : static_cast<DWORD>(timeoutMs - used);
    if (!pollUntil(rest, [&] { return !IsWindow(info.hwnd) || !IsWindowVisible(info.hwnd); }))
        throw Failure{"message box '" + info.caption + "' still open after the answer"};
    printLine("answered caption=" + escaped(info.caption) + " text=" + escaped(info.text) +
              " button=" + std::to_string(button));
    return kExitOk;
}

} // namespace driver
