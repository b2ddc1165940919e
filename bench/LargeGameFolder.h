#pragma once

// The game folder of the check cache benchmarks: 200 current files of
// 5368710 bytes (just over 1 GiB, the size of a community's archives), and
// the manifest that lists them.
#include "digest/Crc32.h"
#include "update/Manifest.h"

#include <string>
#include <vector>

constexpr int kLargeFolderFiles = 200;
constexpr size_t kLargeFolderFileSize = 5368710;

// write(path, bytes, size) stores one file.
template <typename Write> Manifest MakeLargeGameFolder(const std::string& prefix, Write write) {
    Manifest manifest;
    manifest.valid = true;
    std::vector<unsigned char> bytes(kLargeFolderFileSize);
    for (int f = 0; f < kLargeFolderFiles; ++f) {
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<unsigned char>((i + f) * 2654435761u >> 11);
        ManifestItem item;
        item.name = prefix + "pak" + std::to_string(f) + ".pk3";
        item.size = static_cast<uint32_t>(bytes.size());
        item.crc = Crc32(bytes.data(), bytes.size());
        write(item.name, bytes.data(), bytes.size());
        manifest.items.push_back(item);
    }
    return manifest;
}
