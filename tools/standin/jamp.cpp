// Stand-in for the game executable jamp.exe, started by the launcher during the
// end-to-end tests instead of the real Jedi Academy client.
//
// It records how it was started (command line, working directory and the two
// JA+ config files as they were at that moment) so a test can check exactly what
// the launcher prepared, and it splits its command line the way the game engine
// does, so a test can see which console commands the game would really run.
// On "quit" it can append the clan password line the game saves into its config,
// which lets tests check that the launcher copes with the game rewriting it.
//
// Files (all relative to the CURRENT directory, like the game's own paths):
//   jamp-started.txt   one record appended per start:
//                        cmdline <N>\n<N bytes>\n
//                        cwd <N>\n<N bytes>\n
//                        file japlus\jampconfig.cfg <N or -1>\n<N bytes>\n
//                        file japlus\jampconfig_ex.cfg <N or -1>\n<N bytes>\n
//                        thread <main thread id>\n
//                        end\n
//   jamp-commands.txt  rewritten per start: one parsed console command a line,
//                      its tokens separated by one TAB, lines end with LF.
// Environment:
//   JAMP_STANDIN_WAIT_MS  sleep this many milliseconds before quitting.
//   JAMP_STANDIN_SAVE=1   at quit append `seta cp_clanPwd "<value>"` CR LF to
//                         japlus\jampconfig.cfg, value from `set cp_clanPwd ...`.
// Exit code is always 0, like a game that quit normally.

#include "StartRecord.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using standin::addBlock;
using standin::appendRecord;
using standin::currentDirectory;
using standin::writeAll;

const char kStartedFile[] = "jamp-started.txt";
const char kCommandsFile[] = "jamp-commands.txt";
const char kConfigFile[] = "japlus\\jampconfig.cfg";
const char kConfigExFile[] = "japlus\\jampconfig_ex.cfg";

bool readWholeFile(const char* path, std::string& data) {
    data.clear();
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char buffer[64 * 1024];
    bool ok = true;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0)
            break;
        data.append(buffer, got);
    }
    CloseHandle(file);
    if (!ok)
        data.clear();
    return ok;
}

void addFileBlock(std::string& record, const char* path) {
    std::string data;
    const std::string header = std::string("file ") + path;
    if (readWholeFile(path, data)) {
        addBlock(record, header, data);
    } else {
        record += header + " -1\n\n";
    }
}

// The game receives everything after the program name; the program name ends at
// the closing quote when it is quoted, else at the first blank (the Windows rule).
std::string argumentsOf(const std::string& commandLine) {
    size_t i = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        i = commandLine.find('"', 1);
        i = (i == std::string::npos) ? commandLine.size() : i + 1;
    } else {
        while (i < commandLine.size() && commandLine[i] != ' ' && commandLine[i] != '\t')
            ++i;
    }
    return commandLine.substr(i);
}

// The engine starts a new console command at every '+' outside double quotes.
std::vector<std::string> splitCommands(const std::string& text) {
    std::vector<std::string> commands;
    std::string current;
    bool inQuotes = false;
    for (char c : text) {
        if (c == '"')
            inQuotes = !inQuotes;
        if (c == '+' && !inQuotes) {
            commands.push_back(current);
            current.clear();
            continue;
        }
        current += c;
    }
    commands.push_back(current);
    return commands;
}

// Like the engine, every control character and the space separate tokens.
bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

// A quoted token keeps its blanks and '+' and loses the quotes; a quote also ends
// an unquoted token, as in the engine's tokenizer.
std::vector<std::string> tokenize(const std::string& command) {
    std::vector<std::string> tokens;
    size_t i = 0;
    const size_t n = command.size();
    for (;;) {
        while (i < n && isBlank(command[i]))
            ++i;
        if (i >= n)
            break;
        if (command[i] == '"') {
            const size_t start = ++i;
            while (i < n && command[i] != '"')
                ++i;
            tokens.push_back(command.substr(start, i - start));
            if (i < n)
                ++i;
            continue;
        }
        const size_t start = i;
        while (i < n && !isBlank(command[i]) && command[i] != '"')
            ++i;
        tokens.push_back(command.substr(start, i - start));
    }
    return tokens;
}

bool equalsNoCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

// The last `set cp_clanPwd ...` wins, as the commands run in order. Extra tokens
// are joined by single blanks, the way the engine rebuilds the rest of a command.
std::string clanPasswordOf(const std::vector<std::vector<std::string>>& commands) {
    std::string value;
    for (const auto& tokens : commands) {
        if (tokens.size() < 3 || !equalsNoCase(tokens[0], "set") ||
            !equalsNoCase(tokens[1], "cp_clanPwd"))
            continue;
        value = tokens[2];
        for (size_t i = 3; i < tokens.size(); ++i)
            value += ' ' + tokens[i];
    }
    return value;
}

void writeCommandsFile(const std::vector<std::vector<std::string>>& commands) {
    std::string text;
    for (const auto& tokens : commands) {
        for (size_t i = 0; i < tokens.size(); ++i) {
            if (i > 0)
                text += '\t';
            text += tokens[i];
        }
        text += '\n';
    }
    HANDLE file = CreateFileA(kCommandsFile, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    writeAll(file, text);
    CloseHandle(file);
}

// What the game does when it quits: append the archived setting to its config,
// starting a new line first if the file's last line has no line end.
void saveClanPassword(const std::string& value) {
    HANDLE file = CreateFileA(kConfigFile, GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    std::string line;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0) {
        LARGE_INTEGER last{};
        last.QuadPart = size.QuadPart - 1;
        char tail = 0;
        DWORD got = 0;
        if (SetFilePointerEx(file, last, nullptr, FILE_BEGIN) &&
            ReadFile(file, &tail, 1, &got, nullptr) && got == 1 && tail != '\n')
            line = "\r\n";
    }
    line += "seta cp_clanPwd \"" + value + "\"\r\n";
    LARGE_INTEGER zero{};
    if (SetFilePointerEx(file, zero, nullptr, FILE_END))
        writeAll(file, line);
    CloseHandle(file);
}

std::string environmentValue(const char* name) {
    char buffer[256];
    DWORD len = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    if (len == 0 || len >= sizeof buffer)
        return std::string();
    return std::string(buffer, len);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string commandLine = GetCommandLineA();

    std::string record;
    addBlock(record, "cmdline", commandLine);
    addBlock(record, "cwd", currentDirectory());
    addFileBlock(record, kConfigFile);
    addFileBlock(record, kConfigExFile);
    // Lets a test see whether the launcher still holds a handle to this thread.
    record += "thread " + std::to_string(GetCurrentThreadId()) + "\n";
    record += "end\n";
    appendRecord(kStartedFile, record);

    std::vector<std::vector<std::string>> commands;
    for (const std::string& text : splitCommands(argumentsOf(commandLine))) {
        std::vector<std::string> tokens = tokenize(text);
        if (!tokens.empty())
            commands.push_back(tokens);
    }
    writeCommandsFile(commands);

    const std::string waitMs = environmentValue("JAMP_STANDIN_WAIT_MS");
    if (!waitMs.empty()) {
        char* end = nullptr;
        unsigned long ms = strtoul(waitMs.c_str(), &end, 10);
        if (end && *end == '\0')
            Sleep(static_cast<DWORD>(ms));
    }

    if (environmentValue("JAMP_STANDIN_SAVE") == "1")
        saveClanPassword(clanPasswordOf(commands));
    return 0;
}
