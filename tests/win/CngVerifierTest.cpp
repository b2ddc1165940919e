// OpenSSL's command-line tool made the key and the signature below. Good and
// forged documents under a good key: the end-to-end signed scenarios.
#include "signing/SignedDocument.h"
#include "signing/Win32CngVerifier.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kPublicKey[] = "6138f98e398aab9c84896ea7965441f4e960bec615f51b6d5fe46da2ea0062af"
                          "978ee882154a3626fa11bc01981f5b6d6e6415a89bd3904a56fd1e8ad9b61b79";
const std::string kDocument =
    "vemor signed 1\nkind manifest\nsequence 42\n"
    "file base\\vemor.pk3|1|2|abababababababababababababababababababababababababababababababab\n"
    "signature 2240a50dc1c0140b0256706be588e6ede873f322bba4563acca4709ce8fffa64"
    "b5740e399dbcef5f1de53513602a23eab27055a86d8e02bddc76676f39d58a14\n";

// Rather than falling back to trusting the network.
TEST(CngVerifierTest, AKeyThatIsNoKeyRefusesEverything) {
    CngVerifier good(kPublicKey);
    EXPECT_EQ(CheckSignedDocument(kDocument, SignedKind::kManifest, 0, good).verdict,
              SignedVerdict::kAccepted);
    // Wine imports a point off the curve (Windows refuses it); either way
    // nothing verifies with it.
    std::string offCurve = kPublicKey;
    offCurve[127] = offCurve[127] == '9' ? '8' : '9';
    for (const std::string& key : {offCurve, std::string(128, '0'), std::string("6138f9"),
                                   std::string(kPublicKey).substr(0, 127) + "G"}) {
        CngVerifier verifier(key);
        EXPECT_EQ(CheckSignedDocument(kDocument, SignedKind::kManifest, 0, verifier).verdict,
                  SignedVerdict::kBadSignature)
            << key;
    }
}

} // namespace
