// The up-to-date check of a game folder whose files are all current and in
// the page cache, against merely reading the same files with the same block
// size, in the same run. The check's folder reads as the Win32 one does:
// sequential reads of one block size, each block fed into the CRC.
#include "BenchTiming.h"
#include "SampleGameFolder.h"

#include "update/Crc32.h"
#include "update/UpdateCheck.h"

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

size_t g_block = 4096;

class PosixFolder : public IGameFolder {
public:
    bool GetLocalFileSize(const std::string& path, uint32_t& size) override {
        struct stat info;
        if (stat(path.c_str(), &info) != 0)
            return false;
        size = static_cast<uint32_t>(info.st_size);
        return true;
    }
    uint32_t ComputeFileCrc32(const std::string& path, uint32_t& crc) override {
        uint32_t state = kCrc32Start;
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (!file) {
            crc = 0;
            return 2;
        }
        std::setvbuf(file, nullptr, _IONBF, 0);
        std::vector<unsigned char> block(g_block);
        size_t got;
        while ((got = std::fread(block.data(), 1, block.size(), file)) > 0)
            state = Crc32Update(state, block.data(), got);
        std::fclose(file);
        crc = Crc32Finish(state);
        return 0;
    }
    void DeleteLocalFile(const std::string&) override {}
    std::unique_ptr<ILocalFile> CreateLocalFile(const std::string&) override { return nullptr; }
    bool MoveIntoPlace(const std::string&, const std::string&) override { return false; }
};

size_t ReadAll(const std::vector<std::string>& paths) {
    size_t total = 0;
    std::vector<unsigned char> block(g_block);
    for (const std::string& path : paths) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        std::setvbuf(file, nullptr, _IONBF, 0);
        size_t got;
        while ((got = std::fread(block.data(), 1, block.size(), file)) > 0)
            total += got + block[0];
        std::fclose(file);
    }
    return total;
}

} // namespace

int main() {
    const std::string dir = "/tmp/vemor-update-check-bench";
    mkdir(dir.c_str(), 0755);
    const Manifest manifest =
        MakeSampleGameFolder(dir + "/", [](const std::string& path, const void* data, size_t size) {
            std::FILE* out = std::fopen(path.c_str(), "wb");
            std::fwrite(data, 1, size, out);
            std::fclose(out);
        });
    std::vector<std::string> paths;
    for (const ManifestItem& item : manifest.items)
        paths.push_back(item.name);
    PosixFolder folder;
    for (size_t block : {size_t{4096}, size_t{1} << 20}) {
        g_block = block;
        volatile size_t sink = ReadAll(paths); // into the page cache
        bool current = true;
        const double check = FastestSeconds(
            3, 1, [&] { current = CheckManifest(manifest, folder).fetchList.empty(); });
        const double read = FastestSeconds(3, 1, [&] { sink = sink + ReadAll(paths); });
        if (!current) {
            std::printf("update check: files not current\n");
            return 1;
        }
        char name[64];
        std::snprintf(name, sizeof name, "update check 512 MiB, %zu-byte reads", block);
        PrintRatio(name, "check", check, "plain read", read);
    }
    for (const std::string& path : paths)
        std::remove(path.c_str());
    return 0;
}
