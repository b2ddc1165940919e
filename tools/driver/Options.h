// Command-line options of one driver command, and the two ways a command ends badly.

#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>

namespace driver {

const int kExitOk = 0;
const int kExitFailed = 1;
const int kExitUsage = 2;

const DWORD kPollMs = 50;
const DWORD kDefaultWaitMs = 10000;
const UINT kSendTimeoutMs = 2000;

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

// Reads the options after argv[1], accepting only those in allowed.
Options parseOptions(int argc, char** argv, const std::set<std::string>& allowed);

} // namespace driver
