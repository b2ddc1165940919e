#include "update/SignedUpdate.h"

SignedCheck FetchSignedDocument(SignedSource& source, const std::string& url, SignedKind kind) {
    std::string text;
    if (!source.http.FetchDocument(url, kSignedDocumentLimit, text))
        return SignedCheck{};
    const uint64_t highest = source.sequences.ReadHighest(kind);
    SignedCheck check = CheckSignedDocument(text, kind, highest, source.verifier);
    if (check.verdict == SignedVerdict::kAccepted && check.document.sequence > highest)
        source.sequences.WriteHighest(kind, check.document.sequence);
    return check;
}
