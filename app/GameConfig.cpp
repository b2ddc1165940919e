#include "app/GameConfig.h"

#include <cstring>

namespace {

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// A line shorter than the prefix never matches.
bool StartsWithIgnoringCase(const std::string& line, const char* prefix) {
    const size_t length = std::strlen(prefix);
    if (line.size() < length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (AsciiLower(line[i]) != AsciiLower(prefix[i]))
            return false;
    }
    return true;
}

} // namespace

std::vector<std::string> SplitConfigLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        size_t lineEnd = end;
        if (lineEnd > start && text[lineEnd - 1] == '\r')
            --lineEnd;
        lines.push_back(text.substr(start, lineEnd - start));
        start = end + 1;
    }
    return lines;
}

std::string JoinConfigLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

StagedConfig StageConfigLines(const std::vector<std::string>& lines) {
    StagedConfig staged;
    for (const std::string& line : lines) {
        if (StartsWithIgnoringCase(line, "bind") || StartsWithIgnoringCase(line, "unbindall"))
            staged.extraLines.push_back(line);
        else if (!StartsWithIgnoringCase(line, "seta jp"))
            staged.mainLines.push_back(line);
    }
    return staged;
}

std::vector<std::string> RestoreConfigLines(const std::vector<std::string>& lines) {
    std::vector<std::string> kept;
    for (const std::string& line : lines) {
        if (line.find("cp_clanPwd") == std::string::npos)
            kept.push_back(line);
    }
    return kept;
}

void StageConfigFiles(IConfigFiles& files) {
    using namespace game_files;
    std::string source;
    if (!files.ReadAll(kConfig, source))
        return;
    const StagedConfig staged = StageConfigLines(SplitConfigLines(source));
    if (!files.WriteTemporary(kConfigTmp, JoinConfigLines(staged.mainLines)))
        return;
    // The bindings go first: when they cannot be put in place they stay where
    // they are, and the main configuration is left untouched. Without any,
    // the extra file of an earlier launch stays in force.
    if (!staged.extraLines.empty() &&
        !(files.WriteTemporary(kExtraConfigTmp, JoinConfigLines(staged.extraLines)) &&
          files.MoveIntoPlace(kExtraConfigTmp, kExtraConfig))) {
        files.Delete(kConfigTmp);
        return;
    }
    files.MoveIntoPlace(kConfigTmp, kConfig);
}

void RestoreConfigFiles(IConfigFiles& files) {
    using namespace game_files;
    std::string source;
    if (!files.ReadAll(kConfig, source))
        return;
    if (files.WriteTemporary(kConfigTmp,
                             JoinConfigLines(RestoreConfigLines(SplitConfigLines(source)))))
        files.MoveIntoPlace(kConfigTmp, kConfig);
}

namespace {

// The game splits its command line into console commands at every "+" outside
// double quotes, ends a command at ";" or a line break, and splits a command
// into values at blanks. The clan password comes from a web page, so a value
// that holds any of these is passed in double quotes; double quotes and
// control characters cannot be carried inside such a value at all and are
// left out. An ordinary value is passed exactly as it is.
std::string ClanPasswordValue(const std::string& password) {
    std::string value;
    bool needsQuotes = false;
    for (char c : password) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '"')
            continue;
        // Bytes above 0x7F count as blanks to the game's tokenizer.
        if (c == ' ' || c == '+' || c == ';' || byte > 0x7F)
            needsQuotes = true;
        value += c;
    }
    return needsQuotes ? "\"" + value + "\"" : value;
}

} // namespace

std::string BuildGameCommandLine(const std::string& accessMid, const std::string& accessCode) {
    return "jamp.exe +set fs_game japlus +exec jampconfig_ex.cfg +set cp_clanPwd " +
           ClanPasswordValue(accessMid + ":" + accessCode);
}
