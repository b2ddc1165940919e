#include "UpdateFakes.h"

#include "tests/unit/TestSigner.h"

#include "serverlist/NetAddress.h"
#include "serverlist/ServerCache.h"
#include "serverlist/ServerList.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace {

// Numeric addresses and "localhost"; any other name does not resolve.
struct FakeResolver : IHostResolver {
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
        const uint8_t loopback[4] = {127, 0, 0, 1};
        std::memcpy(ip, loopback, 4);
        return std::strcmp(host, "localhost") == 0;
    }
};

// Address forms the cache file below does not show.
TEST(ServerAddressTest, PortsAndNames) {
    const struct {
        const char* text;
        int type, port;
    } cases[] = {
        {"localhost:29071", kAddressIp, 29071}, // resolved as a name, not the loopback case
        {"10.1.2.3:abc", kAddressIp, 0},
        {"10.1.2.3:70000", kAddressIp, 70000 & 0xFFFF},
        {"10.1.2.3:99999999999999", kAddressIp, 0xFFFF}, // saturated, then cut
        {"1bad.example", kAddressBad, 0},                // a digit first: numeric, invalid
        {"0102abCD.0a0b0c0d0e0f:7", kAddressIpx, 7},
        {"0102abzz.0a0b0c0d0e0f", kAddressBad, 0}, // a group that is not hexadecimal
    };
    for (const auto& c : cases) {
        FakeResolver resolver;
        NetAddress a;
        std::memset(&a, 0, sizeof a);
        EXPECT_EQ(ParseNetAddress(c.text, a, resolver), c.type != kAddressBad) << c.text;
        EXPECT_EQ(a.type, c.type) << c.text;
        if (c.type != kAddressBad) {
            EXPECT_EQ(a.port[0] * 256 + a.port[1], c.port) << c.text;
        }
    }
}

// The game's cache file built here from the tables, byte by byte,
// independent of the product's structures: each entry holds the 20-byte
// address (type, 4 bytes of IPv4 or 10 of IPX from byte 4 or 8, the
// big-endian port), the name cut to 31 characters and the "added" flag.
std::string ExpectedCache(const std::vector<std::string>& entries) {
    auto le32 = [](std::string& s, int32_t v) {
        for (int i = 0; i < 4; ++i)
            s += static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    };
    std::string file;
    le32(file, -1);
    le32(file, 0);
    le32(file, static_cast<int32_t>(entries.size()));
    le32(file, 0x5C400);
    file += std::string(2048 * 164 + 128 * 164, '\0');
    for (const std::string& entry : entries)
        file += entry;
    return file + std::string((128 - entries.size()) * 164, '\0');
}

std::string Entry(uint8_t type, size_t at, std::vector<uint8_t> bytes, int port,
                  const std::string& name) {
    std::string entry(164, '\0');
    entry[0] = static_cast<char>(type);
    std::copy(bytes.begin(), bytes.end(), entry.begin() + at);
    entry[18] = static_cast<char>(port >> 8), entry[19] = static_cast<char>(port);
    entry.replace(20, std::min<size_t>(name.size(), 31), name.substr(0, 31));
    entry[144] = 1;
    return entry;
}

struct MemoryCacheFile : IServerCacheFile {
    bool present = false;
    bool locked = false; // held by the game: cannot be replaced
    std::string bytes;
    int replaces = 0;
    bool Exists() override { return present; }
    bool Replace(const std::string& b) override {
        return !locked && (bytes = b, ++replaces, present = true);
    }
};

struct MemoryStamps : IStampStore {
    std::string stamp;
    int writes = 0;
    std::string ReadStamp() override { return stamp.substr(0, 127); }
    void WriteStamp(const std::string& s) override { stamp = s, ++writes; }
};

struct Refresh {
    std::unique_ptr<ServerCache> cache = std::make_unique<ServerCache>();
    FakePortal portal;
    MemoryStamps stamps;
    FakeResolver resolver;
    MemoryCacheFile file;
    SignedSource* signedSource = nullptr;

    void Serve(const std::string& text) { portal.texts["list"] = text; }
    void Go() {
        ServerListServices services{portal, stamps, resolver, file, "list", signedSource};
        RefreshServerList(*cache, services);
    }
};

TEST(ServerCacheTest, CacheFileIsWrittenByteForByte) {
    Refresh r;
    const std::string longName(100, 'n');
    r.Serve("v1\r\n10.0.0.1:29071|" + std::string(31, 'a') +
            "\r\n10.0.0.1:29071|duplicate\r\n"
            "localhost|home | lan\r\n|no address\r\nno name|\r\nno bar\r\n"
            "nowhere.example|bad one\r\nnowhere.example|bad two\r\n300.1.2.3:5|bad numeric\r\n"
            "0a0b0c0d.010203040506|ipx\r\n10.0.0.2|" +
            longName);
    r.Go();
    const std::string expected = ExpectedCache(
        {Entry(4, 4, {10, 0, 0, 1}, 29071, std::string(31, 'a')), Entry(2, 4, {}, 0, "home | lan"),
         Entry(1, 4, {}, 0, "bad one"), Entry(1, 4, {}, 0, "bad two"),
         Entry(1, 4, {255, 255, 255, 255}, 0, "bad numeric"),
         Entry(5, 8, {10, 11, 12, 13, 1, 2, 3, 4, 5, 6}, 29070, "ipx"),
         Entry(4, 4, {10, 0, 0, 2}, 29070, longName)});
    ASSERT_EQ(r.file.bytes.size(), kServerCacheFileSize);
    EXPECT_TRUE(r.file.bytes == expected);
    EXPECT_EQ(r.stamps.stamp, "v1");

    Refresh full; // the table holds 128 servers
    std::string text = "many\r\n";
    for (int i = 0; i < 200; ++i)
        text += "10.0.0." + std::to_string(i) + "|s" + std::to_string(i) + "\r\n";
    full.Serve(text);
    full.Go();
    EXPECT_EQ(full.cache->m_count3, 128);
    EXPECT_EQ(std::string(full.file.bytes.data() + 356880 + 127 * 164 + 20), "s127");
}

// Rebuilt when the stamp changed or the file is gone, else left alone; a
// file that could not be replaced is tried again on the next run; a stamp
// too long to be read back whole rebuilds it on every run.
TEST(ServerCacheTest, StampRules) {
    Refresh r;
    r.file.present = r.file.locked = true;
    r.Serve("v1\r\n1.2.3.4|a\r\n");
    r.Go();
    EXPECT_EQ(r.stamps.writes, 0);
    r.file.locked = false;
    r.Go();
    r.Go();
    EXPECT_EQ(r.stamps.writes, 1);
    EXPECT_EQ(r.file.replaces, 1);
    const std::string first = r.file.bytes;
    r.file.present = false;
    r.Go();
    EXPECT_EQ(r.file.bytes, first);
    EXPECT_EQ(r.stamps.writes, 2);
    r.Serve(std::string(200, 's') + "\r\n1.2.3.4|a\r\n");
    r.Go();
    r.Go();
    EXPECT_EQ(r.stamps.writes, 4);
    EXPECT_EQ(ParseServerList("1.2.3.4|no stamp line").servers.size(), 1u);
}

// A list the player cannot use (a maintenance page with a new first line, a
// failed fetch) must not cost the player the servers of the last good list;
// a server line cut by the read limit is left out.
TEST(ServerCacheTest, AnUnusableListKeepsTheCache) {
    for (const char* text : {"<html>maintenance</html>\r\nback soon\r\n", "v2\r\n", ""}) {
        Refresh r;
        r.Serve("v1\r\n1.2.3.4|a\r\n");
        r.Go();
        const std::string before = r.file.bytes;
        r.portal.texts.clear();
        if (*text)
            r.Serve(text);
        r.Go();
        EXPECT_EQ(r.file.bytes, before) << text;
        EXPECT_EQ(r.file.replaces, 1) << text;
        EXPECT_EQ(r.stamps.stamp, "v1") << text;
    }
    std::string head = "v3\r\n1.2.3.4|a\r\n";
    head += std::string(10000 - head.size() - 12, 'x') + "\r\n5.6.7.8|na";
    Refresh r;
    r.Serve(head + "me\r\n");
    r.Go();
    EXPECT_EQ(r.cache->m_count3, 1);
}

// A launcher built with the community's key takes only a good signed list; a
// server's name may hold the bar.
TEST(ServerCacheTest, OnlyASignedServerListRebuildsTheCache) {
    const test_signer::TestKey key;
    const std::string head = "vemor signed 1\nkind serverlist\nsequence 12\n";
    const std::string list =
        key.Sign(head + "server 10.1.2.3:29071|Vemor Duel\nserver localhost|FFA | 24/7\n");
    std::string forged = list;
    forged.replace(forged.find("10.1.2.3"), 8, "10.6.6.6");
    std::string manifest = key.Sign("vemor signed 1\nkind manifest\nsequence 13\n");
    for (const std::string& text : {list, forged, manifest}) {
        Refresh r;
        FakePortal documents;
        MemorySequences sequences;
        test_signer::OpenSslVerifier verifier(key);
        SignedSource source{documents, verifier, sequences};
        r.signedSource = &source;
        r.Serve("stamp\r\n10.6.6.6|Plain\r\n");
        documents.texts["list"] = text;
        r.Go();
        const bool accepted = text == list;
        EXPECT_EQ(r.stamps.stamp, accepted ? "signed 12" : "") << text.substr(0, 50);
        EXPECT_EQ(sequences.highest[SignedKind::kServerList], accepted ? 12u : 0u);
        EXPECT_EQ(r.file.replaces, accepted ? 1 : 0);
        EXPECT_STREQ(r.cache->m_table3[0].name, accepted ? "Vemor Duel" : "");
        EXPECT_STREQ(r.cache->m_table3[1].name, accepted ? "FFA | 24/7" : "");
    }
}

} // namespace
