// CRC-32 throughput of the launcher's own code on one 256 MiB buffer, against
// zlib's crc32() and the classic one-byte-per-step table, in the same run.
#include "BenchTiming.h"

#include "digest/Crc32.h"

#include <zlib.h>

#include <cstdio>
#include <vector>

int main() {
    const size_t size = 256u << 20;
    std::vector<unsigned char> buffer(size);
    for (size_t i = 0; i < size; ++i)
        buffer[i] = static_cast<unsigned char>(i * 2654435761u >> 13);

    uint32_t ours = 0, bytewise = 0;
    unsigned long reference = 0;
    const double oursSeconds = FastestSeconds(3, 1, [&] { ours = Crc32(buffer.data(), size); });
    const double zlibSeconds = FastestSeconds(3, 1, [&] {
        reference = crc32(0L, Z_NULL, 0);
        for (size_t pos = 0; pos < size; pos += 1u << 30)
            reference = crc32(reference, buffer.data() + pos,
                              static_cast<uInt>(std::min<size_t>(size - pos, 1u << 30)));
    });
    const double bytewiseSeconds = FastestSeconds(2, 1, [&] {
        bytewise = Crc32Finish(Crc32UpdateBytewise(kCrc32Start, buffer.data(), size));
    });
    if (ours != reference || ours != bytewise) {
        std::printf("crc32: results differ: %08x %08lx %08x\n", ours, reference, bytewise);
        return 1;
    }
    const double gb = static_cast<double>(size) / 1e9;
    std::printf("crc32 256 MiB: ours %.2f GB/s, zlib %.2f GB/s, byte table %.2f GB/s\n",
                gb / oursSeconds, gb / zlibSeconds, gb / bytewiseSeconds);
    PrintRatio("crc32 vs zlib (time)", "ours", oursSeconds, "zlib", zlibSeconds);
    PrintRatio("crc32 vs byte table (time)", "ours", oursSeconds, "byte table", bytewiseSeconds);
    return 0;
}
