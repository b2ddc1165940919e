#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// What an earlier run learnt about the files of the game folder: for each
// path the size and last-write time it had when its CRC-32 was computed or
// its download was verified. A file that still shows both takes the
// remembered CRC without being read, which turns a start over an unchanged
// folder of a few gigabytes from seconds of reading into one attribute query
// per file. A file changed in place with its size and time put back is not
// noticed; a full check now and then (kFullCheckAge) catches that.
//
// Times are the system's file times (100-ns ticks); the cache only compares
// them.
class CheckCache {
public:
    struct Stamp {
        uint64_t size = 0;
        uint64_t time = 0;
        bool operator==(const Stamp& other) const {
            return size == other.size && time == other.time;
        }
    };

    // After this long without a full check, the next run reads every file
    // again: a week is about as often as a regular player restarts the
    // computer, and a full check costs one slow start.
    static constexpr uint64_t kFullCheckAge = 7ull * 24 * 3600 * 10000000;
    // A true cache has one line per listed file, some 20 bytes longer than
    // its manifest line: this holds the file sets of manifests up to about
    // three quarters of their 1 MiB limit (a larger cache is not loaded, and
    // every file is read again).
    static constexpr size_t kMaxBytes = 1u << 20;

    // The cache file's layout, for a run at `now`. Anything that is not
    // exactly a cache of this layout (missing, torn, another version, hostile
    // content) gives an empty cache, as does one whose full check lies more
    // than kFullCheckAge in the past or in the future: every file is read.
    static CheckCache Load(std::string_view bytes, uint64_t now);
    std::string Serialise() const;

    // The remembered CRC of path when the file still has this stamp.
    bool Lookup(const std::string& path, const Stamp& stamp, uint32_t& crc);
    void Record(const std::string& path, const Stamp& stamp, uint32_t crc);
    void Forget(const std::string& path);

    // Whether Serialise would give something else than what was loaded. Only
    // the paths this run looked up or recorded are kept: a file the manifest
    // no longer lists drops out, so the cache never grows beyond one set.
    bool Changed() const;
    // The paths remembered, in order.
    std::vector<std::string> Paths() const;
    uint64_t FullCheckTime() const { return m_fullCheck; }

private:
    struct Entry {
        Stamp stamp;
        uint32_t crc = 0;
        bool used = false;
    };

    std::map<std::string, Entry> m_entries;
    uint64_t m_fullCheck = 0;
    bool m_changed = false;
};
