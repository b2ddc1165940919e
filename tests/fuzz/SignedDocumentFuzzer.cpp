// Any text as a signed document, with a key that takes every signature, so
// that the fuzzer reaches the parts read after the signature: no crash, no
// sanitizer report, and nothing accepted that could reach outside the game
// folder or that breaks the size limit.
#include "signing/SignedDocument.h"
#include "text/GamePath.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

struct AnySignature : ISignatureVerifier {
    bool Verify(const Sha256Digest&, const uint8_t (&)[64]) override { return true; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    AnySignature verifier;
    for (SignedKind kind : {SignedKind::kManifest, SignedKind::kServerList}) {
        const SignedCheck check = CheckSignedDocument(text, kind, 100, verifier);
        if (check.verdict != SignedVerdict::kAccepted)
            continue;
        if (size > kSignedDocumentLimit || check.document.kind != kind ||
            check.document.sequence < 100)
            __builtin_trap();
        for (const SignedFileEntry& entry : check.document.files)
            if (!IsInsideGameFolder(entry.name))
                __builtin_trap();
        for (const SignedServerEntry& server : check.document.servers)
            if (server.address.empty() || server.name.empty())
                __builtin_trap();
    }
    return 0;
}
