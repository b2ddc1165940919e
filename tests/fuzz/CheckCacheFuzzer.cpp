// Any bytes as the check cache file: no crash, no sanitizer report, and
// nothing remembered unless it is a path the manifest could name. Each input
// is tried as it is and with a correct seal added, so that the fuzzer gets
// past the seal to the lines it guards.
#include "digest/Crc32.h"
#include "text/GamePath.h"
#include "update/CheckCache.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

void Check(const std::string& bytes) {
    const CheckCache cache = CheckCache::Load(bytes, 134000000000000000ull);
    for (const std::string& path : cache.Paths()) {
        if (path.empty() || !IsInsideGameFolder(path) || path.find(':') != std::string::npos ||
            path.find("..") != std::string::npos)
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Check(bytes);
    const long lines = std::count(bytes.begin(), bytes.end(), '\n');
    char seal[48];
    std::snprintf(seal, sizeof seal, "end %ld %08x\n", lines - 2,
                  Crc32(bytes.data(), bytes.size()));
    Check(bytes + seal);
    return 0;
}
