// MD5 is off the launcher's hot path (two short texts at start-up); this only
// shows that our digest is not pathologically slow. Measured against md5sum
// on the same 64 MiB, which also pays for its start and for reading the file
// from the page cache, so a ratio near or below 1 is what to expect.
#include "BenchTiming.h"

#include "digest/Md5.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string HexDigest(const unsigned char* bytes, size_t length) {
    Md5Context context;
    Md5Init(context);
    Md5Update(context, bytes, static_cast<uint32_t>(length));
    Md5Final(context);
    char hex[33];
    for (int i = 0; i < 16; ++i)
        std::snprintf(hex + 2 * i, 3, "%02x", context.digest[i]);
    return hex;
}

std::string RunMd5sum(const std::string& path) {
    FILE* pipe = ::popen(("md5sum " + path).c_str(), "r");
    char line[128] = {};
    if (pipe == nullptr || std::fgets(line, sizeof line, pipe) == nullptr)
        std::abort();
    ::pclose(pipe);
    return std::string(line, 32);
}

} // namespace

int main() {
    std::vector<unsigned char> data(64 << 20);
    uint32_t state = 12345;
    for (unsigned char& byte : data) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<unsigned char>(state >> 16);
    }
    char path[] = "/tmp/vemor-md5-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0 || ::write(fd, data.data(), data.size()) != static_cast<ssize_t>(data.size()))
        return 1;
    ::close(fd);

    std::string ours;
    std::string theirs;
    const double own = FastestSeconds(5, 1, [&] { ours = HexDigest(data.data(), data.size()); });
    const double tool = FastestSeconds(5, 1, [&] { theirs = RunMd5sum(path); });
    ::unlink(path);
    if (ours != theirs) {
        std::printf("md5: digests differ: %s against md5sum %s\n", ours.c_str(), theirs.c_str());
        return 1;
    }
    PrintRatio("md5, 64 MiB", "Md5Update", own, "md5sum", tool);
    std::printf("md5: %.0f MB/s\n", data.size() / own / 1e6);
    return 0;
}
