// The update and the server-list refresh of a launcher built with the
// community's key: only a good signed document is acted on, and a download
// is put in place only with the signed SHA-256.
#include "UpdateFakes.h"

#include "tests/unit/TestSigner.h"
#include "update/ServerList.h"
#include "update/SignedUpdate.h"
#include "update/UpdateRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

using test_signer::OpenSslVerifier;
using test_signer::TestKey;

const char kSignedUrl[] = "http://portal/signed/files.txt";
const char kPlainUrl[] = "http://portal/files.php";

TestKey& Key() {
    static TestKey key;
    return key;
}

class FakeDocuments : public IDocumentFetch {
public:
    std::map<std::string, std::string> texts; // a URL missing here fails
    std::vector<size_t> limits;
    bool FetchDocument(const std::string& url, size_t limit, std::string& text) override {
        limits.push_back(limit);
        auto it = texts.find(url);
        text = it == texts.end() ? std::string() : it->second.substr(0, limit + 1);
        return it != texts.end();
    }
};

class MemorySequences : public ISequenceStore {
public:
    std::map<SignedKind, uint64_t> highest;
    uint64_t ReadHighest(SignedKind kind) override { return highest[kind]; }
    void WriteHighest(SignedKind kind, uint64_t sequence) override { highest[kind] = sequence; }
};

std::string FileLine(const std::string& name, const std::string& bytes) {
    return "file " + name + "|" + std::to_string(Crc32(bytes.data(), bytes.size())) + "|" +
           std::to_string(bytes.size()) + "|" + DigestHex(Sha256Of(bytes.data(), bytes.size())) +
           "\n";
}

std::string SignedManifest(uint64_t sequence, const std::string& entries) {
    return Key().Sign("vemor signed 1\nkind manifest\nsequence " + std::to_string(sequence) + "\n" +
                      entries);
}

// Other bytes of the same size and CRC-32: the last four bytes chosen to
// bring the CRC back, as anyone can.
std::string ForgeSameCrc(const std::string& bytes) {
    std::string forged = bytes;
    forged[forged.size() / 2] ^= 0x5A;
    uint32_t table[256];
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        table[i] = c;
    }
    uint32_t reg = Crc32(bytes.data(), bytes.size()) ^ 0xFFFFFFFFu;
    for (int step = 0; step < 4; ++step) {
        uint32_t index = 0;
        while (table[index] >> 24 != reg >> 24)
            ++index;
        reg = ((reg ^ table[index]) << 8) | index;
    }
    const uint32_t tail = reg ^ Crc32(forged.data(), forged.size() - 4) ^ 0xFFFFFFFFu;
    for (int i = 0; i < 4; ++i)
        forged[forged.size() - 4 + i] = static_cast<char>(tail >> (8 * i));
    return forged;
}

struct SignedCase {
    FakeFolder folder;
    FakeFtp ftp;
    FakePortal portal;
    FakeDocuments documents;
    MemorySequences sequences;
    OpenSslVerifier verifier{Key().PublicKey()};
    SignedSource source{documents, verifier, sequences};
    CountingSelfUpdate selfUpdate;
    RecordingListener listener;
    UpdateWorker worker;

    SignedCase() {
        worker.m_listener = &listener;
        // What a launcher without a key would take: never looked at here.
        portal.texts[kPlainUrl] = "#\r\n#DELETE\r\nkeep.txt\r\n";
    }
    void Go() {
        UpdateServices services{portal, ftp, folder, selfUpdate, kSignedUrl, &source};
        RunUpdate(worker, services);
    }
    bool Failed() const { return listener.Failed(); }
};

TEST(SignedUpdateTest, ASignedManifestBringsTheFolderToItsState) {
    SignedCase r;
    r.ftp.files = {{"base\\new.pk3", std::string(5000, 'n')}, {"vemor.cfg", "seta x 2\r\n"}};
    r.folder.files = {{"vemor.cfg", "seta x 1\r\n"}, {"stale.pk3", "old"}, {"keep.txt", "mine"}};
    r.documents.texts[kSignedUrl] = SignedManifest(
        77, FileLine("base\\new.pk3", r.ftp.files["base\\new.pk3"]) +
                FileLine("vemor.cfg", r.ftp.files["vemor.cfg"]) + "delete stale.pk3\n");
    r.Go();
    std::map<std::string, std::string> expected = r.ftp.files;
    expected["keep.txt"] = "mine";
    EXPECT_EQ(r.folder.files, expected);
    EXPECT_FALSE(r.Failed());
    EXPECT_EQ(r.sequences.highest[SignedKind::kManifest], 77u);
    EXPECT_EQ(r.documents.limits, std::vector<size_t>{kSignedDocumentLimit});
}

// Nothing but a good, current signed manifest is acted on: nothing deleted,
// no FTP file opened, and the player is told.
TEST(SignedUpdateTest, ARefusedManifestChangesNothing) {
    const std::string entries = FileLine("base\\new.pk3", "new") + "delete stale.pk3\n";
    std::string tampered = SignedManifest(50, entries);
    tampered.replace(tampered.find("stale"), 5, "keep.");
    TestKey other;
    const std::string refused[] = {
        tampered,
        other.Sign("vemor signed 1\nkind manifest\nsequence 50\n" + entries),
        SignedManifest(40, entries), // older than the 45 accepted before
        "#\r\nbase\\new.pk3|" + std::to_string(Crc32("new", 3)) + "|3\r\n#DELETE\r\nstale.pk3\r\n",
        SignedManifest(50, entries).substr(0, 150),
        SignedManifest(50, entries + std::string(kSignedDocumentLimit, 'x')),
    };
    for (const std::string& text : refused) {
        SignedCase r;
        r.sequences.highest[SignedKind::kManifest] = 45;
        r.ftp.files = {{"base\\new.pk3", "new"}};
        r.folder.files = {{"stale.pk3", "old"}, {"keep.txt", "mine"}};
        const auto before = r.folder.files;
        r.documents.texts[kSignedUrl] = text;
        r.Go();
        EXPECT_EQ(r.folder.files, before) << text.substr(0, 60);
        EXPECT_TRUE(r.folder.log.empty()) << text.substr(0, 60);
        EXPECT_TRUE(r.ftp.opened.empty()) << text.substr(0, 60);
        EXPECT_TRUE(r.Failed()) << text.substr(0, 60);
        EXPECT_EQ(r.listener.calls.back(), "finished");
        EXPECT_EQ(r.sequences.highest[SignedKind::kManifest], 45u);
    }
    SignedCase unreachable; // the portal does not answer
    unreachable.Go();
    EXPECT_TRUE(unreachable.Failed());
}

// Bytes of the listed size and CRC-32 but another SHA-256 never replace the
// player's copy; a launcher so forged is never handed to the self-update.
TEST(SignedUpdateTest, AForgedDownloadIsRefused) {
    const std::string good(70000, 'g');
    const std::string forged = ForgeSameCrc(good);
    ASSERT_EQ(Crc32(forged.data(), forged.size()), Crc32(good.data(), good.size()));
    ASSERT_NE(forged, good);
    for (const std::string name : {"base\\maps.pk3", "vemor.exe"}) {
        SignedCase r;
        r.ftp.files = {{name, forged}};
        r.folder.files = {{name, "the player's copy"}};
        r.documents.texts[kSignedUrl] = SignedManifest(9, FileLine(name, good));
        r.Go();
        EXPECT_EQ(r.folder.files, (std::map<std::string, std::string>{{name, "the player's copy"}}))
            << name;
        EXPECT_TRUE(r.Failed()) << name;
        EXPECT_EQ(r.selfUpdate.starts, 0) << name;
        EXPECT_EQ(r.listener.calls.back(), "finished") << name;
    }
    SignedCase self; // the genuine launcher is handed over
    self.ftp.files = {{"vemor.exe", good}};
    self.documents.texts[kSignedUrl] = SignedManifest(9, FileLine("vemor.exe", good));
    self.Go();
    EXPECT_EQ(self.folder.files["vemor.new"], good);
    EXPECT_EQ(self.selfUpdate.starts, 1);
    EXPECT_EQ(self.listener.calls.back(), "self-update");
}

class LoopbackResolver : public IHostResolver {
public:
    void ParseNumeric(const char* host, uint8_t ip[4]) override {
        unsigned a, b, c, d;
        if (std::sscanf(host, "%u.%u.%u.%u", &a, &b, &c, &d) == 4)
            ip[0] = uint8_t(a), ip[1] = uint8_t(b), ip[2] = uint8_t(c), ip[3] = uint8_t(d);
        else
            std::memset(ip, 255, 4);
    }
    bool LookupName(const char*, uint8_t*) override { return false; }
};

class MemoryServerCache : public IServerCacheFile {
public:
    std::string bytes = "the last good cache";
    bool Exists() override { return true; }
    bool Replace(const std::string& b) override {
        bytes = b;
        return true;
    }
};

class MemoryStamp : public IStampStore {
public:
    std::string stamp = "plain stamp";
    std::string ReadStamp() override { return stamp; }
    void WriteStamp(const std::string& s) override { stamp = s; }
};

TEST(SignedUpdateTest, OnlyASignedServerListRebuildsTheCache) {
    const std::string list = Key().Sign("vemor signed 1\nkind serverlist\nsequence 12\n"
                                        "server 10.1.2.3:29071|Vemor Duel\n");
    std::string forged = list;
    forged.replace(forged.find("10.1.2.3"), 8, "10.6.6.6");
    const std::pair<std::string, bool> cases[] = {
        {list, true}, {forged, false}, {SignedManifest(13, ""), false}};
    for (const auto& [text, accepted] : cases) {
        FakeDocuments documents;
        MemorySequences sequences;
        OpenSslVerifier verifier(Key().PublicKey());
        SignedSource source{documents, verifier, sequences};
        FakePortal portal;
        portal.texts["plain"] = "stamp\r\n10.6.6.6|Plain\r\n";
        MemoryStamp stamps;
        LoopbackResolver resolver;
        MemoryServerCache file;
        documents.texts["signed"] = text;
        ServerListServices services{portal, stamps, resolver, file, "signed", &source};
        auto cache = std::make_unique<ServerCache>();
        RefreshServerList(*cache, services);
        if (accepted) {
            EXPECT_EQ(stamps.stamp, "signed 12");
            EXPECT_EQ(sequences.highest[SignedKind::kServerList], 12u);
            ASSERT_EQ(cache->m_count3, 1);
            EXPECT_STREQ(cache->m_table3[0].name, "Vemor Duel");
            EXPECT_NE(file.bytes, "the last good cache");
        } else {
            EXPECT_EQ(file.bytes, "the last good cache") << text.substr(0, 50);
            EXPECT_EQ(stamps.stamp, "plain stamp");
            EXPECT_EQ(sequences.highest[SignedKind::kServerList], 0u);
        }
    }
}

} // namespace
