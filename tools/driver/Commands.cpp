#include "Commands.h"

#include <set>
#include <vector>

namespace driver {

namespace {

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
        {"hold-file", cmdHoldFile, {"path"}},
        {"release-file", cmdReleaseFile, {"path"}},
        {"serve", cmdServe, {"port"}},
    };
    return table;
}

} // namespace

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

} // namespace driver
