// vemor-driver: looks at and operates the launcher's windows from outside, for the
// end-to-end tests. It runs in the same (Wine) session as the launcher, finds its
// windows by title/class, reads controls, clicks buttons and answers message boxes
// the way a user would, and reports one plain line per result on stdout.
//
// Exit codes: 0 success, 1 not found / timed out / refused (reason on stderr),
// 2 bad usage. Run with --help for the commands.
//
// Under an emulated 32-bit Wine every process start costs seconds, so the tests
// keep one driver running ("serve") and send it their commands over a loopback
// connection instead of starting one per command.

#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0601
#endif

#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

const int kExitOk = 0;
const int kExitFailed = 1;
const int kExitUsage = 2;

const DWORD kPollMs = 50;
const DWORD kDefaultWaitMs = 10000;
const UINT kSendTimeoutMs = 2000;

const char kUsage[] =
    "usage: vemor-driver COMMAND [--option value ...]\n"
    "Window selection (top-level windows): --title TEXT (exact window text),\n"
    "  --class NAME (exact class, e.g. #32770), --visible (only visible ones).\n"
    "--timeout MS: keep trying every 50 ms for that long. Default 10000 for the\n"
    "  waiting commands (find, wait-control, msgbox, answer, no-window, wait-exit),\n"
    "  0 (look once) for the others.\n"
    "Commands and their output line:\n"
    "  find        SEL                     hwnd=0x<hex> pid=<pid>\n"
    "  window      SEL                     x= y= w= h= visible= enabled= text=\n"
    "  controls    SEL                     one CONTROL line per control\n"
    "  control     SEL --id N              CONTROL\n"
    "  wait-control SEL --id N [--enabled 1|0] [--text TEXT]   CONTROL\n"
    "  progress    SEL --id N              pos=<> min=<> max=<>\n"
    "  click       SEL --id N              clicked id=<N>\n"
    "  close       SEL                     closed hwnd=0x<hex>\n"
    "  key         SEL --vk N [--alt 1] [--to focus|window|popup]\n"
    "                                      keyed vk=<N> hwnd=0x<hex of target>\n"
    "    --to focus (default): the focused control when it is in the window or its\n"
    "    popups, else the window; window: the window itself, as after a click on it;\n"
    "    popup: the visible top-level window it owns. --alt 1: with Alt held down\n"
    "    (a WM_SYSKEYDOWN, as for Alt+F4).\n"
    "  msgbox      [--caption C]           caption=<> text=<> buttons=<ids,ascending>\n"
    "  answer      [--caption C] --button ID   answered caption=<> text=<> button=<ID>\n"
    "  no-window   SEL                     gone\n"
    "  wait-exit   --image NAME            exited\n"
    "  running     --image NAME            <count>\n"
    "  serve       --port N                connects to 127.0.0.1:N and runs the commands\n"
    "              it receives: one per line, its words separated by TABs; answers each\n"
    "              with \"<exit code> <output bytes> <error bytes>\\n\", the output, the\n"
    "              errors; ends when the connection closes\n"
    "CONTROL: id=<id> class=<class> x=<> y=<> w=<> h=<> visible=<0|1> enabled=<0|1> text=<text>\n"
    "  (x/y relative to the client area of the top-level window holding the control;\n"
    "  controls of the window and of its visible owned top-level windows are searched)\n"
    "Texts are printed as they are, except CR, LF and TAB which become \\r, \\n, \\t.\n"
    "Exit codes: 0 ok, 1 not found / timed out / refused, 2 bad usage.\n";

struct UsageError {
    std::string message;
};

struct Failure {
    std::string message;
};

// ---------------------------------------------------------------- options

struct Options {
    std::map<std::string, std::string> values;
    bool visible = false;

    bool has(const char* name) const { return values.count(name) != 0; }
    std::string text(const char* name) const {
        auto it = values.find(name);
        if (it == values.end())
            throw UsageError{std::string("missing --") + name};
        return it->second;
    }
    long number(const char* name) const {
        const std::string value = text(name);
        char* end = nullptr;
        long result = strtol(value.c_str(), &end, 0);
        if (value.empty() || *end != '\0')
            throw UsageError{"--" + std::string(name) + " needs a number, got '" + value + "'"};
        return result;
    }
    DWORD timeout(DWORD fallback) const {
        if (!has("timeout"))
            return fallback;
        long ms = number("timeout");
        if (ms < 0)
            throw UsageError{"--timeout must not be negative"};
        return static_cast<DWORD>(ms);
    }
};

Options parseOptions(int argc, char** argv, const std::set<std::string>& allowed) {
    Options options;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.size() < 3 || arg.compare(0, 2, "--") != 0)
            throw UsageError{"unexpected argument '" + arg + "'"};
        std::string name = arg.substr(2);
        if (!allowed.count(name))
            throw UsageError{"option --" + name + " does not apply to " + argv[1]};
        if (name == "visible") {
            options.visible = true;
            continue;
        }
        if (i + 1 >= argc)
            throw UsageError{"--" + name + " needs a value"};
        options.values[name] = argv[++i];
    }
    return options;
}

// ---------------------------------------------------------------- output

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}

std::string lowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string hex(const void* handle) {
    unsigned long long value = reinterpret_cast<uintptr_t>(handle);
    const char digits[] = "0123456789abcdef";
    std::string out;
    do {
        out.insert(out.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return "0x" + out;
}

// Where a served command's output goes instead of stdout.
std::string* g_output = nullptr;

void printLine(const std::string& line) {
    std::string withEnd = line + "\n";
    if (g_output) {
        *g_output += withEnd;
        return;
    }
    fwrite(withEnd.data(), 1, withEnd.size(), stdout);
    fflush(stdout);
}

// ---------------------------------------------------------------- window access

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

BOOL CALLBACK collectWindow(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

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

// Caption as stored by the system; never sends a message, so a hung window
// cannot block the driver.
std::string captionOf(HWND hwnd) {
    int len = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<size_t>(len) + 1, '\0');
    int got = GetWindowTextA(hwnd, &text[0], len + 1);
    text.resize(got > 0 ? got : 0);
    return text;
}

// Controls such as edits keep their own text, which only WM_GETTEXT returns.
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

struct Selector {
    bool hasTitle = false;
    bool hasClass = false;
    bool visibleOnly = false;
    std::string title;
    std::string windowClass;

    bool matches(HWND hwnd) const {
        if (visibleOnly && !IsWindowVisible(hwnd))
            return false;
        if (hasClass && className(hwnd) != windowClass)
            return false;
        if (hasTitle && captionOf(hwnd) != title)
            return false;
        return true;
    }
    std::string describe() const {
        std::string what = "window";
        if (hasTitle)
            what += " titled '" + title + "'";
        if (hasClass)
            what += " of class '" + windowClass + "'";
        if (visibleOnly)
            what = "visible " + what;
        return what;
    }
};

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

// A control together with the top-level window whose client area its
// coordinates are given in.
struct Control {
    HWND hwnd;
    HWND holder;
};

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

// ---------------------------------------------------------------- message boxes

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

// ---------------------------------------------------------------- processes

int countProcesses(const std::string& image) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        throw Failure{"cannot list processes"};
    const std::string wanted = lowerAscii(image);
    int count = 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        std::string name = entry.szExeFile;
        size_t slash = name.find_last_of("\\/");
        if (slash != std::string::npos)
            name = name.substr(slash + 1);
        if (lowerAscii(name) == wanted)
            ++count;
    }
    CloseHandle(snapshot);
    return count;
}

// ---------------------------------------------------------------- commands

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

int cmdNoWindow(const Options& options) {
    const Selector selector = selectorFrom(options);
    if (!pollUntil(options.timeout(kDefaultWaitMs),
                   [&] { return findWindow(selector) == nullptr; }))
        throw Failure{"still there: " + selector.describe()};
    printLine("gone");
    return kExitOk;
}

int cmdWaitExit(const Options& options) {
    const std::string image = options.text("image");
    int count = 0;
    if (!pollUntil(options.timeout(kDefaultWaitMs),
                   [&] { return (count = countProcesses(image)) == 0; }))
        throw Failure{"still running: " + std::to_string(count) + " x " + image};
    printLine("exited");
    return kExitOk;
}

int cmdRunning(const Options& options) {
    printLine(std::to_string(countProcesses(options.text("image"))));
    return kExitOk;
}

int cmdServe(const Options& options);

struct Command {
    const char* name;
    int (*run)(const Options&);
    std::set<std::string> options;
};

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"find", cmdFind, {"title", "class", "visible", "timeout"}},
        {"window", cmdWindow, {"title", "class", "visible", "timeout"}},
        {"controls", cmdControls, {"title", "class", "visible", "timeout"}},
        {"control", cmdControl, {"title", "class", "visible", "timeout", "id"}},
        {"wait-control",
         cmdWaitControl,
         {"title", "class", "visible", "timeout", "id", "enabled", "text"}},
        {"progress", cmdProgress, {"title", "class", "visible", "timeout", "id"}},
        {"click", cmdClick, {"title", "class", "visible", "timeout", "id"}},
        {"close", cmdClose, {"title", "class", "visible", "timeout"}},
        {"key", cmdKey, {"title", "class", "visible", "timeout", "vk", "alt", "to"}},
        {"msgbox", cmdMsgbox, {"caption", "timeout"}},
        {"answer", cmdAnswer, {"caption", "button", "timeout"}},
        {"no-window", cmdNoWindow, {"title", "class", "visible", "timeout"}},
        {"wait-exit", cmdWaitExit, {"image", "timeout"}},
        {"running", cmdRunning, {"image"}},
        {"serve", cmdServe, {"port"}},
    };
    return table;
}

// Runs argv[1] with its options; output lines through printLine, the reason of
// a failure into errors.
int runCommand(int argc, char** argv, std::string& errors) {
    const std::string name = argv[1];
    for (const Command& command : commands()) {
        if (name != command.name)
            continue;
        try {
            return command.run(parseOptions(argc, argv, command.options));
        } catch (const UsageError& error) {
            errors = "vemor-driver " + name + ": " + error.message + " (see --help)\n";
            return kExitUsage;
        } catch (const Failure& failure) {
            errors = "vemor-driver " + name + ": " + failure.message + "\n";
            return kExitFailed;
        }
    }
    errors = "vemor-driver: unknown command '" + name + "' (see --help)\n";
    return kExitUsage;
}

bool sendAll(SOCKET peer, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        const int n = send(peer, data.data() + sent, static_cast<int>(data.size() - sent), 0);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

int cmdServe(const Options& options) {
    const long port = options.number("port");
    if (port <= 0 || port > 65535)
        throw UsageError{"--port must be 1..65535"};
    if (g_output)
        throw UsageError{"serve cannot be served"};
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
        throw Failure{"no Winsock"};
    SOCKET peer = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (peer == INVALID_SOCKET ||
        connect(peer, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw Failure{"cannot connect to port " + std::to_string(port)};
    std::string pending;
    char buffer[4096];
    for (;;) {
        const size_t end = pending.find('\n');
        if (end == std::string::npos) {
            const int n = recv(peer, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            pending.append(buffer, static_cast<size_t>(n));
            continue;
        }
        const std::string request = pending.substr(0, end);
        pending.erase(0, end + 1);
        std::vector<std::string> words{"vemor-driver"};
        size_t start = 0;
        for (;;) {
            const size_t tab = request.find('\t', start);
            words.push_back(request.substr(start, tab - start));
            if (tab == std::string::npos)
                break;
            start = tab + 1;
        }
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(&word[0]);
        std::string output, errors;
        g_output = &output;
        const int code = runCommand(static_cast<int>(argv.size()), argv.data(), errors);
        g_output = nullptr;
        const std::string head = std::to_string(code) + " " + std::to_string(output.size()) + " " +
                                 std::to_string(errors.size()) + "\n";
        if (!sendAll(peer, head + output + errors))
            break;
    }
    closesocket(peer);
    WSACleanup();
    return kExitOk;
}

} // namespace

int main(int argc, char** argv) {
    // LF line ends on every host, and window texts go out byte for byte.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);

    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
            fputs(kUsage, stdout);
            return kExitOk;
        }
    }
    if (argc < 2) {
        fputs(kUsage, stderr);
        return kExitUsage;
    }
    std::string errors;
    const int code = runCommand(argc, argv, errors);
    fputs(errors.c_str(), stderr);
    return code;
}
