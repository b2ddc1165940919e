#include "update/CheckCache.h"

#include "digest/Crc32.h"
#include "text/GamePath.h"
#include "text/Numbers.h"

#include <cstdio>

namespace {

constexpr std::string_view kHeader = "vemor check cache 1";
constexpr std::string_view kFullCheck = "full-check ";
constexpr std::string_view kEnd = "end ";
// A clock that was set back must not make a cache from "the future" live forever.
constexpr uint64_t kClockSlack = 24ull * 3600 * 10000000;

// Splits off the text up to the next blank.
bool NextField(std::string_view& line, std::string_view& field) {
    const size_t blank = line.find(' ');
    if (blank == std::string_view::npos)
        return false;
    field = line.substr(0, blank);
    line.remove_prefix(blank + 1);
    return true;
}

// Only what a manifest entry can name: the check never looks up anything else.
bool IsCachePath(std::string_view path) {
    if (path.empty() || path.front() == ' ' || path.back() == ' ')
        return false;
    for (unsigned char c : path) {
        if (c < 0x20 || c == 0x7f || c == '|' || c == ':')
            return false;
    }
    return path.find("..") == std::string_view::npos && IsInsideGameFolder(path);
}

// Every line of the text ends in "\n"; false for a text that does not.
bool SplitLines(std::string_view text, std::vector<std::string_view>& lines) {
    while (!text.empty()) {
        const size_t end = text.find('\n');
        if (end == std::string_view::npos)
            return false;
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return true;
}

std::string Hex8(uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

} // namespace

CheckCache CheckCache::Load(std::string_view bytes, uint64_t now) {
    CheckCache fresh;
    fresh.m_fullCheck = now;
    fresh.m_changed = true;

    std::vector<std::string_view> lines;
    if (bytes.size() > CheckCache::kMaxBytes || !SplitLines(bytes, lines) || lines.size() < 3 ||
        lines[0] != kHeader)
        return fresh;

    // The last line seals the rest: a cache cut short, or with bytes
    // overwritten, does not match its own count and CRC.
    std::string_view end = lines.back();
    const size_t sealed = bytes.size() - end.size() - 1;
    std::string_view field;
    uint64_t count = 0;
    if (end.substr(0, kEnd.size()) != kEnd)
        return fresh;
    end.remove_prefix(kEnd.size());
    if (!NextField(end, field) || !ParseDecimal(field, UINT64_MAX, count) ||
        count != lines.size() - 3 || end != Hex8(Crc32(bytes.data(), sealed)))
        return fresh;

    CheckCache cache;
    std::string_view full = lines[1];
    if (full.substr(0, kFullCheck.size()) != kFullCheck ||
        !ParseDecimal(full.substr(kFullCheck.size()), UINT64_MAX, cache.m_fullCheck))
        return fresh;
    const bool stale = cache.m_fullCheck > now ? cache.m_fullCheck - now > kClockSlack
                                               : now - cache.m_fullCheck >= kFullCheckAge;
    if (stale)
        return fresh;

    for (size_t i = 2; i + 1 < lines.size(); ++i) {
        std::string_view line = lines[i];
        uint64_t crc = 0;
        Entry entry;
        if (!NextField(line, field) || !ParseDecimal(field, UINT32_MAX, crc) ||
            !NextField(line, field) || !ParseDecimal(field, UINT64_MAX, entry.stamp.size) ||
            !NextField(line, field) || !ParseDecimal(field, UINT64_MAX, entry.stamp.time) ||
            !IsCachePath(line))
            return fresh;
        entry.crc = static_cast<uint32_t>(crc);
        const std::string path(line);
        // Serialise writes the paths in order, once each; anything else was
        // not written by it.
        if (!cache.m_entries.empty() && !(cache.m_entries.rbegin()->first < path))
            return fresh;
        cache.m_entries.emplace_hint(cache.m_entries.end(), path, entry);
    }
    return cache;
}

std::string CheckCache::Serialise() const {
    std::string text(kHeader);
    text += "\n";
    text += std::string(kFullCheck) + std::to_string(m_fullCheck) + "\n";
    size_t count = 0;
    for (const auto& [path, entry] : m_entries) {
        if (!entry.used)
            continue;
        text += std::to_string(entry.crc) + " " + std::to_string(entry.stamp.size) + " " +
                std::to_string(entry.stamp.time) + " " + path + "\n";
        ++count;
    }
    const uint32_t seal = Crc32(text.data(), text.size());
    text += std::string(kEnd) + std::to_string(count) + " " + Hex8(seal) + "\n";
    return text;
}

bool CheckCache::Lookup(const std::string& path, const Stamp& stamp, uint32_t& crc) {
    const auto it = m_entries.find(path);
    if (it == m_entries.end() || !(it->second.stamp == stamp))
        return false;
    it->second.used = true;
    crc = it->second.crc;
    return true;
}

void CheckCache::Record(const std::string& path, const Stamp& stamp, uint32_t crc) {
    // A path that could never be loaded back would make the whole file
    // unreadable next time.
    if (!IsCachePath(path)) {
        Forget(path);
        return;
    }
    const auto [it, added] = m_entries.try_emplace(path);
    Entry& entry = it->second;
    if (added || !(entry.stamp == stamp) || entry.crc != crc)
        m_changed = true;
    entry.stamp = stamp;
    entry.crc = crc;
    entry.used = true;
}

void CheckCache::Forget(const std::string& path) {
    if (m_entries.erase(path) > 0)
        m_changed = true;
}

bool CheckCache::Changed() const {
    if (m_changed)
        return true;
    for (const auto& item : m_entries) {
        if (!item.second.used)
            return true;
    }
    return false;
}

std::vector<std::string> CheckCache::Paths() const {
    std::vector<std::string> paths;
    for (const auto& item : m_entries)
        paths.push_back(item.first);
    return paths;
}
