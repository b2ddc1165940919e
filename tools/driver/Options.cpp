#include "Options.h"

#include <cstdlib>

namespace driver {

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

} // namespace driver
