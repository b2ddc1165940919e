#include "UpdateFakes.h"

#include "log/RunLog.h"
#include "signing/SignedUpdate.h"
#include "tests/unit/TestSigner.h"
#include "update/UpdateRun.h"

#include <gtest/gtest.h>

namespace {

using test_signer::OpenSslVerifier;

const char kSignedUrl[] = "http://portal/signed/files.txt";
const char kPlainUrl[] = "http://portal/files.php";

using test_signer::SharedKey;
const auto& Key = SharedKey;

// For bytes other than `hashed`: what a forger who fixed up the CRC would face.
std::string FileLine(const std::string& name, const std::string& bytes,
                     const std::string* hashed = nullptr) {
    const std::string& sha = hashed ? *hashed : bytes;
    return "file " + name + "|" + std::to_string(Crc32(bytes.data(), bytes.size())) + "|" +
           std::to_string(bytes.size()) + "|" + DigestHex(Sha256Of(sha.data(), sha.size())) + "\n";
}

std::string SignedManifest(uint64_t sequence, const std::string& entries) {
    return Key().Sign("vemor signed 1\nkind manifest\nsequence " + std::to_string(sequence) + "\n" +
                      entries);
}

struct SignedCase : UpdateBench<> {
    FakePortal documents;
    MemorySequences sequences;
    OpenSslVerifier verifier{Key()};
    SignedSource source{documents, verifier, sequences};

    // What a launcher without a key would take: never looked at here.
    SignedCase() { portal.texts[kPlainUrl] = "#\r\n#DELETE\r\nkeep.txt\r\n"; }
    void Go() { Run(folder, kSignedUrl, &source); }
};

TEST(SignedUpdateTest, ARefusedManifestChangesNothing) {
    const std::string entries = FileLine("base\\new.pk3", "new") + "delete stale.pk3\n";
    std::string tampered = SignedManifest(50, entries);
    tampered.replace(tampered.find("stale"), 5, "keep.");
    // One refusal of each kind; which documents are refused is the signed
    // document's own test.
    const std::string refused[] = {
        tampered,
        SignedManifest(40, entries), // older than the 45 accepted before
        "#\r\nbase\\new.pk3|" + std::to_string(Crc32("new", 3)) + "|3\r\n#DELETE\r\nstale.pk3\r\n",
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

// Also where no sequence was stored (a fresh install) or it cannot be read.
TEST(SignedUpdateTest, NothingBelowTheBuiltFloorIsTaken) {
    const struct {
        uint64_t sequence;
        bool unreadable;
        bool accepted;
    } cases[] = {{99, false, false},
                 {100, false, true},
                 {101, false, true},
                 {99, true, false},
                 {101, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.sequence) + (c.unreadable ? ", unreadable" : ""));
        FakePortal documents;
        MemorySequences sequences;
        if (c.unreadable)
            sequences.unreadable.insert(SignedKind::kManifest);
        OpenSslVerifier verifier{Key()};
        SignedSource source{documents, verifier, sequences, 100};
        documents.texts[kSignedUrl] = SignedManifest(c.sequence, "");
        CapturedLog log;
        const SignedCheck check = FetchSignedDocument(source, kSignedUrl, SignedKind::kManifest);
        EXPECT_EQ(check.verdict, c.accepted ? SignedVerdict::kAccepted : SignedVerdict::kOlder);
        EXPECT_EQ(sequences.highest[SignedKind::kManifest], c.accepted ? c.sequence : 0u);
        EXPECT_EQ(log.Starting("signed manifest: the highest sequence in vemor.ini cannot be read")
                      .empty(),
                  !c.unreadable);
        EXPECT_EQ(log.Starting("signed manifest refused: sequence 99 is below this launcher's "
                               "floor 100")
                      .empty(),
                  c.accepted);
    }
}

TEST(SignedUpdateTest, AForgedDownloadIsRefused) {
    const std::string good(70000, 'g'), forged(70000, 'f');
    for (const std::string name : {"base\\maps.pk3", "vemor.exe"}) {
        SignedCase r;
        r.ftp.files = {{name, forged}};
        r.folder.files = {{name, "the player's copy"}};
        r.documents.texts[kSignedUrl] = SignedManifest(9, FileLine(name, forged, &good));
        r.Go();
        EXPECT_EQ(r.folder.files, (std::map<std::string, std::string>{{name, "the player's copy"}}))
            << name;
        EXPECT_TRUE(r.Failed()) << name;
        EXPECT_EQ(r.selfUpdate.starts, 0) << name;
    }
    SignedCase self; // the genuine launcher is handed over, and deletes are done
    self.ftp.files = {{"vemor.exe", good}};
    self.folder.files = {{"stale.pk3", "old"}};
    self.documents.texts[kSignedUrl] =
        SignedManifest(9, FileLine("vemor.exe", good) + "delete stale.pk3\n");
    self.Go();
    EXPECT_EQ(self.folder.files, (std::map<std::string, std::string>{{"vemor.new", good}}));
    EXPECT_EQ(self.listener.calls.back(), "self-update");
}

} // namespace
