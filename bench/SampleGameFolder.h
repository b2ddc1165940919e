#pragma once

// The game folder both up-to-date check benchmarks use: 64 files of 8 MiB
// (512 MiB), all current, and the manifest that lists them.
#include "update/Crc32.h"
#include "update/Manifest.h"

#include <string>
#include <vector>

// write(path, bytes, size) stores one file.
template <typename Write> Manifest MakeSampleGameFolder(const std::string& prefix, Write write) {
    const size_t fileSize = 8u << 20;
    Manifest manifest;
    manifest.valid = true;
    std::vector<unsigned char> bytes(fileSize);
    for (int f = 0; f < 64; ++f) {
        for (size_t i = 0; i < fileSize; ++i)
            bytes[i] = static_cast<unsigned char>((i + f) * 2654435761u >> 11);
        ManifestItem item;
        item.name = prefix + "file" + std::to_string(f) + ".pk3";
        item.size = static_cast<uint32_t>(fileSize);
        item.crc = Crc32(bytes.data(), fileSize);
        write(item.name, bytes.data(), fileSize);
        manifest.items.push_back(item);
    }
    return manifest;
}
