#pragma once

#include "identity/ICookieFile.h"

#include <algorithm>
#include <string>

// One 64-byte field of "cookie.dat" as the layout defines it, written out
// independently of the product: the value cut to 64 characters, zero-padded,
// and, for the access values, every byte XORed with the key, starting over
// at the key's first character in each field. An empty key leaves it plain.
inline std::string CookieField(const std::string& value, const std::string& key) {
    std::string field = value.substr(0, 64);
    field.resize(64, '\0');
    for (size_t i = 0; i < 64 && !key.empty(); ++i)
        field[i] = static_cast<char>(field[i] ^ key[i % key.size()]);
    return field;
}

// "cookie.dat" in memory, shared with the record that reads and writes it:
// missing until written, or failing after `readableBytes` with `failReads`.
struct CookieDisk {
    bool exists = false;
    std::string bytes;
    bool failReads = false;
    size_t readableBytes = 0;
    int replaces = 0;
};

struct MemoryCookieFile : ICookieFile {
    explicit MemoryCookieFile(CookieDisk& disk) : disk(disk) {}
    ReadOutcome ReadStart(std::string& bytes, size_t limit) override {
        if (!disk.exists)
            return ReadOutcome::kMissing;
        bytes = disk.bytes.substr(0, disk.failReads ? std::min(limit, disk.readableBytes) : limit);
        return disk.failReads ? ReadOutcome::kFailed : ReadOutcome::kRead;
    }
    void Replace(const std::string& bytes) override {
        disk.exists = true, disk.bytes = bytes, ++disk.replaces;
    }
    CookieDisk& disk;
};
