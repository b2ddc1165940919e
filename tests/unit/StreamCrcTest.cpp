#include "update/Crc32.h"
#include "update/StreamCrc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

std::string Bytes(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>(i * 7 + i / 251);
    return s;
}

// One object for every stream, as the check uses it: lengths around the
// slab size, reads that come back short, and a read error part way.
TEST(StreamCrcTest, EveryByteReadIsSummedInOrderWhateverTheReadsReturn) {
    StreamCrc stream;
    const size_t slab = StreamCrc::kSlab;
    const struct {
        size_t length;
        size_t shortRead; // the most one read returns
        long long failAt; // the read starting at this offset fails; -1 never
    } cases[] = {
        {0, 4096, -1},         {1, 4096, -1},          {slab - 1, 4096, -1},
        {slab, 4096, -1},      {slab + 1, 1000, -1},   {7 * slab / 2, 4096, -1},
        {7 * slab, 65536, -1}, {3 * slab, 4096, 8192}, {5 * slab, 3000, 2 * slab + 3000},
    };
    for (const auto& c : cases) {
        const std::string bytes = Bytes(c.length);
        size_t at = 0;
        bool failed = false;
        const uint32_t crc = stream.Compute(
            [&](void* buffer, size_t want) -> long long {
                EXPECT_LE(want, 4096u);
                if (c.failAt >= 0 && at >= static_cast<size_t>(c.failAt))
                    return -1;
                const size_t n = std::min({want, c.shortRead, bytes.size() - at});
                bytes.copy(static_cast<char*>(buffer), n, at);
                at += n;
                return static_cast<long long>(n);
            },
            4096, failed);
        const size_t summed = c.failAt >= 0 ? static_cast<size_t>(c.failAt) : c.length;
        EXPECT_EQ(crc, Crc32(bytes.data(), summed)) << c.length << " " << c.failAt;
        EXPECT_EQ(failed, c.failAt >= 0) << c.length;
    }
}

} // namespace
