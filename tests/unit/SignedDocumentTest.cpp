#include "signing/SignedDocument.h"

#include "tests/unit/TestSigner.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using test_signer::OpenSslVerifier;
using test_signer::TestKey;

const std::string kSha(64, 'a');

std::string ManifestBody(uint64_t sequence, const std::string& entries) {
    return "vemor signed 1\nkind manifest\nsequence " + std::to_string(sequence) + "\n" + entries;
}

const std::string kEntries = "file base\\vemor.pk3|3011911537|70000|" + kSha +
                             "\nfile vemor.exe|0|0|" + std::string(64, 'f') +
                             "\ndelete base\\old.pk3\n";

struct SignedDocumentTest : ::testing::Test {
    static TestKey& Key() { return test_signer::SharedKey(); }
    SignedCheck Check(const std::string& text, uint64_t highest = 0,
                      SignedKind kind = SignedKind::kManifest) {
        OpenSslVerifier verifier(Key());
        return CheckSignedDocument(text, kind, highest, verifier);
    }
};

// Refused before any of its content is believed.
TEST_F(SignedDocumentTest, RefusesATamperedByteAnywhereAndAnyCut) {
    const std::string good = Key().Sign(ManifestBody(5, kEntries));
    for (size_t i = 0; i < good.size(); ++i) {
        std::string bad = good;
        bad[i] = static_cast<char>(bad[i] ^ 0x01);
        const SignedCheck check = Check(bad);
        ASSERT_TRUE(check.verdict == SignedVerdict::kBadSignature ||
                    check.verdict == SignedVerdict::kUnsigned)
            << "byte " << i;
        ASSERT_TRUE(check.document.files.empty());
    }
    for (size_t length = 0; length < good.size(); ++length)
        ASSERT_NE(Check(good.substr(0, length)).verdict, SignedVerdict::kAccepted) << length;
    EXPECT_EQ(Check(good + "\n").verdict, SignedVerdict::kUnsigned);
    EXPECT_EQ(Check(good + "file x|1|1|" + kSha + "\n").verdict, SignedVerdict::kUnsigned);
}

TEST_F(SignedDocumentTest, SequenceMustNotGoBack) {
    const std::string doc = Key().Sign(ManifestBody(1000, kEntries));
    EXPECT_EQ(Check(doc, 999).verdict, SignedVerdict::kAccepted);
    EXPECT_EQ(Check(doc, 1000).verdict, SignedVerdict::kAccepted); // fetched again
    EXPECT_EQ(Check(doc, 1001).verdict, SignedVerdict::kOlder);
    EXPECT_EQ(Check(doc, 1001).sequence, 1000u); // for the log
    EXPECT_EQ(Check(Key().Sign(ManifestBody(UINT64_MAX, "")), UINT64_MAX).verdict,
              SignedVerdict::kAccepted);
}

TEST_F(SignedDocumentTest, SizeLimit) {
    std::string entries;
    const size_t fixed = ManifestBody(9, "").size() + 10 + 128 + 1;
    const std::string line = "delete base\\" + std::string(100, 'x') + "\n";
    while (fixed + entries.size() + line.size() <= kSignedDocumentLimit)
        entries += line;
    entries +=
        "delete " + std::string(kSignedDocumentLimit - fixed - entries.size() - 8, 'y') + "\n";
    const std::string atLimit = Key().Sign(ManifestBody(9, entries));
    ASSERT_EQ(atLimit.size(), kSignedDocumentLimit);
    EXPECT_EQ(Check(atLimit).verdict, SignedVerdict::kAccepted);
    const std::string over = Key().Sign(ManifestBody(9, entries + "delete z\n"));
    OpenSslVerifier verifier(Key());
    EXPECT_EQ(CheckSignedDocument(over, SignedKind::kManifest, 0, verifier).verdict,
              SignedVerdict::kOversized);
    EXPECT_EQ(verifier.calls, 0); // not even hashed
}

// Refused whole, naming the first line at fault for the log.
TEST_F(SignedDocumentTest, RefusesSignedDocumentsThatBreakTheRules) {
    struct Case {
        std::string body;
        SignedVerdict verdict;
        size_t line;
    };
    const std::string head = "vemor signed 1\nkind manifest\nsequence 3\n";
    const std::string ok = "file a.pk3|1|1|" + kSha + "\n";
    const Case cases[] = {
        {head + ok + "file C:\\Windows\\x.dll|1|1|" + kSha + "\n", SignedVerdict::kBadPath, 5},
        {head + "delete \\\\host\\share\\x\ndelete \n", SignedVerdict::kBadPath, 4},
        {head + "delete ..\\x\n" + ok + "bogus\n", SignedVerdict::kMalformed, 6},
        {head + ok + "file a.pk3|1|1|" + kSha + "\r\n", SignedVerdict::kMalformed, 5},
        {head + "file a.pk3|1|+1|" + kSha + "\n", SignedVerdict::kMalformed, 4},
        {head + "file a.pk3|1|4294967296|" + kSha + "\n", SignedVerdict::kMalformed, 4},
        {head + "file a.pk3|1|1|" + std::string(64, 'A') + "\n", SignedVerdict::kMalformed, 4},
        {head + "file a.pk3|1|1\n", SignedVerdict::kMalformed, 4},
        {head + "file |1|1|" + kSha + "\n", SignedVerdict::kMalformed, 4},
        {head + ok + ok + "file caf\xE9.pk3|1|1|" + kSha + "\n", SignedVerdict::kMalformed, 6},
        {head + "server 10.0.0.1|x\n", SignedVerdict::kMalformed, 4},
        {"vemor signed 2\nkind manifest\nsequence 3\n", SignedVerdict::kMalformed, 1},
        {"vemor signed 1\nkind manifest\nsequence 0\n", SignedVerdict::kMalformed, 3},
        {"vemor signed 1\nkind manifest\n", SignedVerdict::kMalformed, 3},
        {"vemor signed 1\nkind files\nsequence 3\n", SignedVerdict::kMalformed, 2},
        {"vemor signed 1\nkind serverlist\nsequence 3\n", SignedVerdict::kWrongKind, 0},
    };
    for (const Case& c : cases) {
        const SignedCheck check = Check(Key().Sign(c.body));
        EXPECT_EQ(check.verdict, c.verdict) << c.body;
        EXPECT_EQ(check.line, c.line) << c.body;
        EXPECT_TRUE(check.document.files.empty()) << c.body;
    }
    const SignedCheck list = Check(Key().Sign("vemor signed 1\nkind serverlist\nsequence 3\n"
                                              "server |no address\n"),
                                   0, SignedKind::kServerList);
    EXPECT_EQ(list.verdict, SignedVerdict::kMalformed);
    EXPECT_EQ(Check(Key().Sign(ManifestBody(3, "")), 0, SignedKind::kServerList).verdict,
              SignedVerdict::kWrongKind);
}

struct CorpusEntry {
    std::string verdict, field, text;
};

// tests/corpus/fields.txt, which the kit's tests read too: what the kit
// writes, the launcher must take as written.
std::vector<CorpusEntry> ReadCorpus() {
    std::ifstream file(VEMOR_FIELD_CORPUS);
    std::vector<CorpusEntry> entries;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream columns(line);
        CorpusEntry entry;
        std::string escaped;
        std::getline(columns, entry.verdict, '\t');
        std::getline(columns, entry.field, '\t');
        std::getline(columns, escaped);
        for (size_t i = 0; i < escaped.size(); ++i) {
            if (escaped[i] == '%' && i + 2 < escaped.size()) {
                entry.text += static_cast<char>(std::stoi(escaped.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                entry.text += escaped[i];
            }
        }
        entries.push_back(entry);
    }
    return entries;
}

TEST_F(SignedDocumentTest, TakesWhatTheKitWritesAndRefusesWhatItMustNot) {
    const std::vector<CorpusEntry> corpus = ReadCorpus();
    ASSERT_GT(corpus.size(), 20u);
    for (const CorpusEntry& entry : corpus) {
        const bool taken = entry.verdict != "refused";
        if (entry.field == "path") {
            for (const std::string& line :
                 {"file " + entry.text + "|1|1|" + kSha + "\n", "delete " + entry.text + "\n"}) {
                const SignedCheck check = Check(Key().Sign(ManifestBody(3, line)));
                EXPECT_EQ(check.verdict == SignedVerdict::kAccepted, taken) << line;
                if (taken) {
                    EXPECT_EQ(check.document.files.at(0).name, entry.text);
                }
            }
        } else {
            ASSERT_EQ(entry.field, "name");
            const SignedCheck check = Check(Key().Sign("vemor signed 1\nkind serverlist\nsequence "
                                                       "3\nserver 10.0.0.1:29070|" +
                                                       entry.text + "\n"),
                                            0, SignedKind::kServerList);
            EXPECT_EQ(check.verdict == SignedVerdict::kAccepted, taken) << entry.text;
            if (taken) {
                EXPECT_EQ(check.document.servers.at(0).name, entry.text);
            }
        }
    }
}

} // namespace
