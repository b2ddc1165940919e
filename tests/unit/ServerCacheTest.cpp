#include "UpdateFakes.h"

#include "update/NetAddress.h"
#include "update/ServerCache.h"
#include "update/ServerList.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>

namespace {

// Numeric addresses and a few names; anything else does not resolve.
class FakeResolver : public IHostResolver {
public:
    void ParseNumeric(const char* host, uint8_t ip[4]) override {
        unsigned a, b, c, d;
        char extra;
        if (std::sscanf(host, "%u.%u.%u.%u%c", &a, &b, &c, &d, &extra) == 4 && a < 256 && b < 256 &&
            c < 256 && d < 256) {
            ip[0] = uint8_t(a), ip[1] = uint8_t(b), ip[2] = uint8_t(c), ip[3] = uint8_t(d);
        } else {
            std::memset(ip, 255, 4);
        }
    }
    bool LookupName(const char* host, uint8_t ip[4]) override {
        if (std::strcmp(host, "localhost") == 0 || std::strcmp(host, "ja.example") == 0) {
            const uint8_t address[4] = {127, 0, 0, uint8_t(host[0] == 'l' ? 1 : 2)};
            std::memcpy(ip, address, 4);
            return true;
        }
        return false;
    }
};

NetAddress Parse(const char* text, bool* ok = nullptr) {
    FakeResolver resolver;
    NetAddress address;
    std::memset(&address, 0xAB, sizeof address);
    const bool result = ParseNetAddress(text, address, resolver);
    if (ok)
        *ok = result;
    return address;
}

int Port(const NetAddress& a) {
    return a.port[0] * 256 + a.port[1];
}

TEST(ServerAddressTest, FormsOfAnAddress) {
    bool ok = false;
    NetAddress a = Parse("localhost", &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(a.type, kAddressLoopback);
    EXPECT_EQ(Port(a), 0);

    a = Parse("localhost:29071", &ok); // resolved as a name, not the loopback case
    EXPECT_EQ(a.type, kAddressIp);
    EXPECT_EQ(a.ip[3], 1);
    EXPECT_EQ(Port(a), 29071);

    a = Parse("10.1.2.3", &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(a.port[0], 0x71);
    EXPECT_EQ(a.port[1], 0x8E); // 29070 big-endian
    EXPECT_EQ(Port(Parse("10.1.2.3:abc")), 0);
    EXPECT_EQ(Port(Parse("10.1.2.3:70000")), 70000 & 0xFFFF);
    EXPECT_EQ(Port(Parse("10.1.2.3:99999999999999")), 0xFFFF); // saturated, then cut

    a = Parse("1bad.example", &ok); // a digit first: numeric, and invalid
    EXPECT_FALSE(ok);
    EXPECT_EQ(a.type, kAddressBad);
    a = Parse("nowhere.example:5", &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(a.type, kAddressBad);
    EXPECT_EQ(Port(a), 0);

    a = Parse("0102abCD.0a0b0c0d0e0f:7", &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(a.type, kAddressIpx);
    const uint8_t ipx[10] = {1, 2, 0xAB, 0xCD, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F};
    EXPECT_EQ(std::memcmp(a.ipx, ipx, 10), 0);
    EXPECT_EQ(Port(a), 7);
    a = Parse("0102abzz.0a0b0c0d0e0f", &ok); // a group that is not hexadecimal
    EXPECT_FALSE(ok);
    EXPECT_EQ(a.type, kAddressBad);
}

TEST(ServerAddressTest, SameAddressRules) {
    EXPECT_TRUE(SameAddress(Parse("localhost"), Parse("localhost")));
    EXPECT_TRUE(SameAddress(Parse("1.2.3.4"), Parse("1.2.3.4:29070")));
    EXPECT_FALSE(SameAddress(Parse("1.2.3.4"), Parse("1.2.3.4:1")));
    EXPECT_FALSE(SameAddress(Parse("bad.example"), Parse("bad.example")));
    EXPECT_FALSE(SameAddress(Parse("1.2.3.4"), Parse("localhost")));
}

TEST(ServerListTest, StampAndLines) {
    ServerList list = ParseServerList("stamp 7\r\n"
                                      "1.2.3.4|Duel | arena\r\n"
                                      "|no address\r\n"
                                      "no name|\r\n"
                                      "no bar\r\n"
                                      "5.6.7.8:1|last");
    EXPECT_EQ(list.stamp, "stamp 7");
    ASSERT_EQ(list.servers.size(), 2u);
    EXPECT_EQ(list.servers[0].name, "Duel | arena");
    EXPECT_EQ(list.servers[1].address, "5.6.7.8:1");
    list = ParseServerList("1.2.3.4|only line");
    EXPECT_EQ(list.stamp, "");
    EXPECT_EQ(list.servers.size(), 1u);
}

TEST(ServerCacheTest, StringCopy) {
    char dest[8];
    std::memset(dest, 'x', sizeof dest);
    Q_strncpyz(dest, "abcdefghij", sizeof dest);
    EXPECT_EQ(std::string(dest), "abcdefg");
    Q_strncpyz(dest, "ab", sizeof dest);
    EXPECT_EQ(std::memcmp(dest, "ab\0\0\0\0\0\0", 8), 0);
    EXPECT_THROW(Q_strncpyz(dest, nullptr, 8), ServerCacheError);
}

// The file layout built here from the tables, byte by byte, independent of
// the product's structures.
std::string
ExpectedCache(const std::vector<std::pair<std::vector<uint8_t>, std::string>>& servers) {
    auto le32 = [](std::string& s, int32_t v) {
        for (int i = 0; i < 4; ++i)
            s += static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    };
    std::string file;
    le32(file, -1);
    le32(file, 0);
    le32(file, static_cast<int32_t>(servers.size()));
    le32(file, 0x5C400);
    file += std::string(2048 * 164 + 128 * 164, '\0');
    for (const auto& [address, name] : servers) {
        std::string entry(164, '\0');
        std::copy(address.begin(), address.end(), entry.begin());
        entry.replace(20, std::min<size_t>(name.size(), 31), name.substr(0, 31));
        entry[144] = 1;
        file += entry;
    }
    file += std::string((128 - servers.size()) * 164, '\0');
    return file;
}

// The cache file in memory: whether it exists, its bytes, how often it was
// replaced.
class MemoryCacheFile : public IServerCacheFile {
public:
    bool present = false;
    std::string bytes;
    int replaces = 0;
    bool Exists() override { return present; }
    bool Replace(const std::string& b) override {
        bytes = b;
        present = true;
        ++replaces;
        return true;
    }
};

class MemoryStamps : public IStampStore {
public:
    std::string stamp;
    int writes = 0;
    std::string ReadStamp() override { return stamp.substr(0, 127); }
    void WriteStamp(const std::string& s) override {
        stamp = s;
        ++writes;
    }
};

struct Refresh {
    std::unique_ptr<ServerCache> cache = std::make_unique<ServerCache>();
    FakePortal portal;
    MemoryStamps stamps;
    FakeResolver resolver;
    MemoryCacheFile file;

    void Serve(const std::string& text) { portal.texts["list"] = text; }
    void Go() {
        ServerListServices services{portal, stamps, resolver, file, "list"};
        RefreshServerList(*cache, services);
    }
};

TEST(ServerCacheTest, CacheFileIsWrittenByteForByte) {
    Refresh r;
    const std::string longName(100, 'n');
    r.Serve("v1\r\n"
            "10.0.0.1:29071|" +
            std::string(31, 'a') +
            "\r\n"
            "10.0.0.1:29071|duplicate\r\n"
            "localhost|home\r\n"
            "nowhere.example|bad one\r\n"
            "nowhere.example|bad two\r\n"
            "300.1.2.3:5|bad numeric\r\n"
            "0a0b0c0d.010203040506|ipx\r\n"
            "10.0.0.2|" +
            longName + "\r\n");
    r.Go();
    const std::vector<uint8_t> ip1 = {4, 0, 0, 0, 10, 0, 0, 1, 0,    0,
                                      0, 0, 0, 0, 0,  0, 0, 0, 0x71, 0x8F};
    const std::vector<uint8_t> loop = {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const std::vector<uint8_t> bad = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const std::vector<uint8_t> badNumeric = {1, 0, 0, 0, 255, 255, 255, 255, 0, 0,
                                             0, 0, 0, 0, 0,   0,   0,   0,   0, 0};
    const std::vector<uint8_t> ipx = {5,  0,  0, 0, 0, 0, 0, 0, 10,   11,
                                      12, 13, 1, 2, 3, 4, 5, 6, 0x71, 0x8E};
    const std::vector<uint8_t> ip2 = {4, 0, 0, 0, 10, 0, 0, 2, 0,    0,
                                      0, 0, 0, 0, 0,  0, 0, 0, 0x71, 0x8E};
    const std::string expected = ExpectedCache({{ip1, std::string(31, 'a')},
                                                {loop, "home"},
                                                {bad, "bad one"},
                                                {bad, "bad two"},
                                                {badNumeric, "bad numeric"},
                                                {ipx, "ipx"},
                                                {ip2, longName}});
    ASSERT_EQ(r.file.bytes.size(), kServerCacheFileSize);
    EXPECT_TRUE(r.file.bytes == expected);
    EXPECT_EQ(r.stamps.stamp, "v1");
}

TEST(ServerCacheTest, TheTableHoldsAtMost128Servers) {
    Refresh r;
    std::string text = "many\r\n";
    for (int i = 0; i < 200; ++i)
        text += "10.0." + std::to_string(i / 256) + "." + std::to_string(i % 256) + "|s" +
                std::to_string(i) + "\r\n";
    r.Serve(text);
    r.Go();
    EXPECT_EQ(r.cache->m_count3, 128);
    const std::string& written = r.file.bytes;
    ASSERT_EQ(written.size(), kServerCacheFileSize);
    EXPECT_EQ(std::string(written.data() + 356880 + 127 * 164 + 20), "s127");
    // Sources 1 and 2 and an unknown source, as the game's tables expect them.
    FakeResolver resolver;
    EXPECT_EQ(AddServer(*r.cache, 3, "10.9.9.9", "full", resolver), -1);
    EXPECT_EQ(AddServer(*r.cache, 4, "10.9.9.9", "x", resolver), -1);
    EXPECT_EQ(AddServer(*r.cache, 2, "10.9.9.9", "first", resolver), 1);
    EXPECT_EQ(r.cache->m_count2, 1);
    EXPECT_STREQ(r.cache->m_table2[0].name, "first");
}

TEST(ServerCacheTest, StampRules) {
    Refresh r;
    r.Serve("v1\r\n1.2.3.4|a\r\n");
    r.Go();
    ASSERT_EQ(r.stamps.writes, 1);
    const std::string first = r.file.bytes;

    r.Go(); // same stamp, file present: nothing is touched
    EXPECT_EQ(r.stamps.writes, 1);
    EXPECT_EQ(r.file.replaces, 1);

    r.file.present = false;
    r.Go(); // same stamp, file gone: rebuilt
    EXPECT_EQ(r.file.bytes, first);
    EXPECT_EQ(r.stamps.writes, 2);

    const std::string longStamp(200, 's'); // read back cut: rebuilt on every run
    r.Serve(longStamp + "\r\n1.2.3.4|a\r\n");
    r.Go();
    r.Go();
    EXPECT_EQ(r.stamps.writes, 4);
}

// A list the player cannot use (a maintenance page with a new first line, a
// failed fetch, a server line cut at the read limit) must not cost the player
// the servers of the last good list.
TEST(ServerCacheTest, AnUnusableListKeepsTheCache) {
    struct Case {
        const char* what;
        const char* text; // null: the fetch fails
    } cases[] = {
        {"maintenance page", "<html>maintenance</html>\r\nback soon\r\n"},
        {"stamp only", "v2\r\n"},
        {"fetch failed", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Refresh r;
        r.Serve("v1\r\n1.2.3.4|a\r\n");
        r.Go();
        const std::string before = r.file.bytes;
        r.portal.texts.clear();
        if (c.text)
            r.Serve(c.text);
        r.Go();
        EXPECT_EQ(r.file.bytes, before);
        EXPECT_EQ(r.file.replaces, 1);
        EXPECT_EQ(r.stamps.stamp, "v1");
    }
    // The read limit cuts the last server's name: that server is left out.
    std::string head = "v3\r\n1.2.3.4|a\r\n";
    head += std::string(10000 - head.size() - 12, 'x') + "\r\n5.6.7.8|na";
    ASSERT_EQ(head.size(), 10000u);
    Refresh r;
    r.Serve(head + "me\r\n");
    r.Go();
    EXPECT_EQ(r.cache->m_count3, 1);
}

} // namespace
