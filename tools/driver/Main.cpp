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

#include "Commands.h"
#include "Options.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

using namespace driver;

namespace {

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
    "  hold-file   --path P                held P (open, others may only read it, until\n"
    "              release-file or the driver's end: useful under serve)\n"
    "  release-file --path P               released P\n"
    "  serve       --port N                connects to 127.0.0.1:N and runs the commands\n"
    "              it receives: one per line, its words separated by TABs; answers each\n"
    "              with \"<exit code> <output bytes> <error bytes>\\n\", the output, the\n"
    "              errors; ends when the connection closes\n"
    "CONTROL: id=<id> class=<class> x=<> y=<> w=<> h=<> visible=<0|1> enabled=<0|1> text=<text>\n"
    "  (x/y relative to the client area of the top-level window holding the control;\n"
    "  controls of the window and of its visible owned top-level windows are searched)\n"
    "Texts are printed as they are, except CR, LF and TAB which become \\r, \\n, \\t.\n"
    "Exit codes: 0 ok, 1 not found / timed out / refused, 2 bad usage.\n";

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
