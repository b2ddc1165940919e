#pragma once

#include "digest/Sha256.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One usable line of the update manifest, in manifest order: a file to check
// (NAME|CRC|SIZE) or, after "#DELETE", a path to delete.
struct ManifestItem {
    bool isDelete = false;
    std::string name;
    uint32_t crc = 0;
    uint32_t size = 0;
    // Only from a signed manifest: the file's bytes must also have this SHA-256.
    bool hasSha256 = false;
    Sha256Digest sha256{};
};

struct Manifest {
    // False when the header line is not exactly "#": then nothing is done.
    bool valid = false;
    // The text went on beyond the read limit: the items after the cut were
    // never seen, so the run cannot end as up to date.
    bool cut = false;
    std::vector<ManifestItem> items;
    // The lines that were not used, each with the reason, for the log.
    std::vector<std::string> skipped;
};

// How much of "/files.php" is read: 1 MiB, as for a signed document, room
// for some ten thousand files. A community of more than about two hundred
// files could not use the first 10000 bytes that were read before; a text of
// up to that size reads as it always did.
constexpr size_t kManifestLimit = 1 << 20;

// Reads the manifest text served as "/files.php". Lines that are empty, hold
// ":" or "..", name anything outside the game folder, or are malformed
// entries are skipped without a message.
Manifest ParseManifest(std::string_view text);

// A decimal field read as strtoul reads it into a 32-bit unsigned long:
// leading white space and a sign are taken, digits until the first other
// character, 0 without digits, 4294967295 for anything larger.
uint32_t ParseManifestNumber(std::string_view field);
