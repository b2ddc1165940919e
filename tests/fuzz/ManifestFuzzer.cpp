// Any text as the update manifest: no crash, no sanitizer report, and no item
// that could reach outside the game folder.
#include "text/GamePath.h"
#include "update/Manifest.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Manifest manifest =
        ParseManifest(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const ManifestItem& item : manifest.items) {
        if (!manifest.valid || item.name.empty() || !IsInsideGameFolder(item.name) ||
            item.name.find(':') != std::string::npos || item.name.find("..") != std::string::npos)
            __builtin_trap();
    }
    return 0;
}
