#include "update/Manifest.h"

#include "text/GamePath.h"
#include "text/Numbers.h"
#include "text/TextLines.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view line) {
    while (!line.empty() && IsBlank(line.front()))
        line.remove_prefix(1);
    while (!line.empty() && IsBlank(line.back()))
        line.remove_suffix(1);
    return line;
}

// NAME "|" CRC "|" SIZE with a non-empty NAME and SIZE; CRC may be empty.
bool ParseEntry(std::string_view line, ManifestItem& item) {
    const size_t p1 = line.find('|');
    if (p1 == std::string_view::npos || p1 < 1 || p1 + 3 > line.size())
        return false;
    const size_t p2 = line.find('|', p1 + 1);
    if (p2 == std::string_view::npos || p2 + 2 > line.size())
        return false;
    item.name = std::string(line.substr(0, p1));
    item.crc = ParseManifestNumber(line.substr(p1 + 1, p2 - p1 - 1));
    item.size = ParseManifestNumber(line.substr(p2 + 1));
    return true;
}

} // namespace

uint32_t ParseManifestNumber(std::string_view field) {
    size_t i = 0;
    while (i < field.size() && IsBlank(field[i]))
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-'))
        negative = field[i++] == '-';
    // Held one above the largest value, so that too large a number reads as
    // the largest whatever its sign, as strtoul has it.
    const uint64_t value = ReadDecimalDigits(field.substr(i), uint64_t{UINT32_MAX} + 1);
    if (value > UINT32_MAX)
        return UINT32_MAX;
    const auto magnitude = static_cast<uint32_t>(value);
    return negative ? 0u - magnitude : magnitude;
}

Manifest ParseManifest(std::string_view text) {
    Manifest manifest;
    const PortalLines split = SplitPortalLines(text, kManifestLimit);
    if (!split.hasLineEnd || split.lines.front() != "#")
        return manifest;
    manifest.valid = true;
    manifest.cut = split.cut;
    bool deleteSection = false;
    for (size_t i = 1; i < split.lines.size(); ++i) {
        const std::string_view line = Trim(split.lines[i]);
        if (line == "#DELETE") {
            deleteSection = true;
            continue;
        }
        if (line.empty())
            continue;
        const char* why = nullptr;
        ManifestItem item;
        item.isDelete = deleteSection;
        if (line.find(':') != std::string_view::npos)
            why = "holds a colon";
        else if (line.find("..") != std::string_view::npos)
            why = "holds \"..\"";
        else if (deleteSection)
            item.name = std::string(line);
        else if (!ParseEntry(line, item))
            why = "not NAME|CRC|SIZE";
        if (!why && !IsInsideGameFolder(item.name))
            why = "names something outside the game folder";
        if (why)
            manifest.skipped.push_back(std::string(why) + ": " + std::string(line));
        else
            manifest.items.push_back(std::move(item));
    }
    return manifest;
}
