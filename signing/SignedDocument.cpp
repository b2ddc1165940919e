#include "signing/SignedDocument.h"

#include "text/GamePath.h"
#include "text/Numbers.h"

#include <algorithm>

namespace {

constexpr std::string_view kFormatLine = "vemor signed 1";
constexpr std::string_view kSignaturePrefix = "signature ";
constexpr size_t kSignatureLineLength = kSignaturePrefix.size() + 128 + 1;

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Paths and addresses stay printable ASCII: a code-page character would name
// another file, or another host, on each player's Windows. Server names are
// the exception: the game shows whatever bytes the list holds, as it does
// for the plain list, and a community names its servers in its own language.
bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) > 0x7E)
            return false;
    }
    return true;
}

// LF line ends and no other control character: no CR, tab, NUL or DEL. The
// position of the first other byte, npos when there is none.
size_t FirstNonText(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const auto u = static_cast<unsigned char>(text[i]);
        if ((u < 0x20 && text[i] != '\n') || u == 0x7F)
            return i;
    }
    return std::string_view::npos;
}

// A 32-bit field: digits only, no leading zero, no sign.
bool ParseField32(std::string_view text, uint32_t& value) {
    uint64_t number = 0;
    if (!ParseDecimal(text, UINT32_MAX, number))
        return false;
    value = static_cast<uint32_t>(number);
    return true;
}

bool ParseFileLine(std::string_view fields, SignedFileEntry& entry) {
    std::string_view parts[4];
    for (int i = 0; i < 3; ++i) {
        const size_t bar = fields.find('|');
        if (bar == std::string_view::npos)
            return false;
        parts[i] = fields.substr(0, bar);
        fields.remove_prefix(bar + 1);
    }
    parts[3] = fields;
    entry.name = std::string(parts[0]);
    return !entry.name.empty() && IsAscii(parts[0]) && ParseField32(parts[1], entry.crc) &&
           ParseField32(parts[2], entry.size) &&
           ParseLowerHex(parts[3], entry.sha256.data(), entry.sha256.size());
}

bool ParseSignedServerEntry(std::string_view fields, SignedServerEntry& server) {
    const size_t bar = fields.find('|');
    if (bar == std::string_view::npos || bar == 0 || bar + 1 == fields.size() ||
        !IsAscii(fields.substr(0, bar)))
        return false;
    server.address = std::string(fields.substr(0, bar));
    server.name = std::string(fields.substr(bar + 1));
    return true;
}

// The lines after the sequence, the first of them line number first; the
// verdict is kAccepted when all were good, else at is the line at fault.
SignedVerdict ParseEntries(std::string_view body, SignedDocument& document, size_t first,
                           size_t& at) {
    SignedVerdict verdict = SignedVerdict::kAccepted;
    size_t badPath = 0;
    for (size_t number = first; !body.empty(); ++number) {
        const size_t end = body.find('\n');
        const std::string_view line = body.substr(0, end);
        body.remove_prefix(end + 1);
        at = number;
        if (document.kind == SignedKind::kManifest &&
            (StartsWith(line, "file ") || StartsWith(line, "delete "))) {
            SignedFileEntry entry;
            entry.isDelete = line[0] == 'd';
            if (entry.isDelete) {
                entry.name = std::string(line.substr(7));
                if (!IsAscii(entry.name))
                    return SignedVerdict::kMalformed;
            } else if (!ParseFileLine(line.substr(5), entry))
                return SignedVerdict::kMalformed;
            // Read on: a later line may still make the whole text malformed,
            // which says more about the document than one bad path.
            if (!IsInsideGameFolder(entry.name) && verdict == SignedVerdict::kAccepted) {
                verdict = SignedVerdict::kBadPath;
                badPath = number;
            }
            document.files.push_back(std::move(entry));
        } else if (document.kind == SignedKind::kServerList && StartsWith(line, "server ")) {
            SignedServerEntry server;
            if (!ParseSignedServerEntry(line.substr(7), server))
                return SignedVerdict::kMalformed;
            document.servers.push_back(std::move(server));
        } else {
            return SignedVerdict::kMalformed;
        }
    }
    at = badPath;
    return verdict;
}

} // namespace

SignedCheck CheckSignedDocument(std::string_view text, SignedKind expected,
                                uint64_t highestAccepted, ISignatureVerifier& verifier) {
    SignedCheck check;
    if (text.size() > kSignedDocumentLimit) {
        check.verdict = SignedVerdict::kOversized;
        return check;
    }
    // The signature line is the last one, of fixed length; a text cut
    // anywhere loses it or its end.
    if (text.size() < kSignatureLineLength || text.back() != '\n') {
        check.verdict = SignedVerdict::kUnsigned;
        return check;
    }
    const size_t signatureStart = text.size() - kSignatureLineLength;
    const std::string_view signatureLine = text.substr(signatureStart, kSignatureLineLength - 1);
    uint8_t signature[64];
    if ((signatureStart > 0 && text[signatureStart - 1] != '\n') ||
        !StartsWith(signatureLine, kSignaturePrefix) ||
        !ParseLowerHex(signatureLine.substr(kSignaturePrefix.size()), signature,
                       sizeof signature)) {
        check.verdict = SignedVerdict::kUnsigned;
        return check;
    }
    const std::string_view body = text.substr(0, signatureStart);
    if (!verifier.Verify(Sha256Of(body.data(), body.size()), signature)) {
        check.verdict = SignedVerdict::kBadSignature;
        return check;
    }

    // From here on the bytes are the signer's own. A malformed one names its
    // line: the admin can then find what the signing tool let through.
    SignedDocument document;
    const auto malformed = [&check](size_t line) {
        check.verdict = SignedVerdict::kMalformed;
        check.line = line;
        return check;
    };
    const size_t nonPlain = FirstNonText(body);
    if (nonPlain != std::string_view::npos)
        return malformed(
            1 + static_cast<size_t>(std::count(body.begin(), body.begin() + nonPlain, '\n')));
    std::string_view rest = body;
    std::string_view head[3];
    for (size_t i = 0; i < 3; ++i) {
        const size_t end = rest.find('\n');
        if (end == std::string_view::npos)
            return malformed(i + 1);
        head[i] = rest.substr(0, end);
        rest.remove_prefix(end + 1);
    }
    if (head[0] != kFormatLine)
        return malformed(1);
    if (head[1] == "kind manifest")
        document.kind = SignedKind::kManifest;
    else if (head[1] == "kind serverlist")
        document.kind = SignedKind::kServerList;
    else
        return malformed(2);
    if (!StartsWith(head[2], "sequence ") ||
        !ParseDecimal(head[2].substr(9), UINT64_MAX, document.sequence) || document.sequence == 0)
        return malformed(3);
    if (document.kind != expected) {
        check.verdict = SignedVerdict::kWrongKind;
        return check;
    }
    if (document.sequence < highestAccepted) {
        check.verdict = SignedVerdict::kOlder;
        check.sequence = document.sequence;
        return check;
    }
    check.verdict = ParseEntries(rest, document, 4, check.line);
    if (check.verdict == SignedVerdict::kAccepted)
        check.document = std::move(document);
    return check;
}
