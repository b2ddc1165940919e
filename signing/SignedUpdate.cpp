#include "signing/SignedUpdate.h"

#include "log/RunLog.h"

#include <algorithm>

SignedCheck FetchSignedDocument(SignedSource& source, const std::string& url, SignedKind kind) {
    std::string text;
    if (!source.http.FetchDocument(url, kSignedDocumentLimit, text))
        return SignedCheck{};
    uint64_t stored = 0;
    if (!source.sequences.ReadHighest(kind, stored)) {
        LogLine(std::string("signed ") +
                (kind == SignedKind::kManifest ? "manifest" : "server list") +
                ": the highest sequence in vemor.ini cannot be read; the launcher's floor " +
                std::to_string(source.floor) + " holds");
        stored = 0;
    }
    SignedCheck check =
        CheckSignedDocument(text, kind, std::max(stored, source.floor), source.verifier);
    // Also rewrites a stored value that could not be read.
    if (check.verdict == SignedVerdict::kAccepted && check.document.sequence > stored)
        source.sequences.WriteHighest(kind, check.document.sequence);
    LogLine(DescribeSignedCheck(check, kind, stored, source.floor));
    return check;
}

std::string DescribeSignedCheck(const SignedCheck& check, SignedKind kind, uint64_t stored,
                                uint64_t floor) {
    const std::string what =
        kind == SignedKind::kManifest ? "signed manifest" : "signed server list";
    const std::string refused = what + " refused: ";
    switch (check.verdict) {
    case SignedVerdict::kAccepted:
        return what + ": sequence " + std::to_string(check.document.sequence) +
               " accepted (the highest before: " + std::to_string(stored) + ")";
    case SignedVerdict::kOversized:
        return refused + "larger than " + std::to_string(kSignedDocumentLimit) + " bytes";
    case SignedVerdict::kUnsigned:
        return refused + "no signature line at its end (not signed, or cut)";
    case SignedVerdict::kBadSignature:
        return refused + "bad signature (edited after signing, or not signed with this "
                         "launcher's key)";
    case SignedVerdict::kMalformed:
        return refused + "malformed at line " + std::to_string(check.line);
    case SignedVerdict::kWrongKind:
        return refused + "it is a " + (kind == SignedKind::kManifest ? "server list" : "manifest");
    case SignedVerdict::kOlder:
        if (floor > stored)
            return refused + "sequence " + std::to_string(check.sequence) +
                   " is below this launcher's floor " + std::to_string(floor);
        return refused + "sequence " + std::to_string(check.sequence) + " is older than " +
               std::to_string(stored) + ", accepted before";
    case SignedVerdict::kBadPath:
        return refused + "line " + std::to_string(check.line) +
               " names a path outside the game folder";
    }
    return refused + "for an unknown reason";
}
