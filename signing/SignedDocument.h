#pragma once

// The signed forms of the update manifest and of the server list, which a
// launcher built with the community's public key reads instead of the plain
// ones. The kit's signing tool writes them where the admin prepares the file
// set; the web server only serves them as static files, so a broken-into web
// server, a poisoned name lookup or a hostile network can replay an old one
// (hence the sequence) but can forge none.
//
// A document is ASCII text, every line ended by a single LF:
//
//   vemor signed 1
//   kind manifest                                   (or: kind serverlist)
//   sequence 1765090800
//   file base\vemor.pk3|3011911537|70000|<SHA-256, 64 lower-case hex>
//   delete base\old_skins.pk3
//   server 10.1.2.3:29071|Vemor Duel                (server list only)
//   signature <r||s, 128 lower-case hex>
//
// - The signature is ECDSA P-256 over the SHA-256 of every byte before the
//   signature line: the format line, the kind, the sequence and every entry.
//   Nothing of the document is read before the signature has verified, and
//   nothing may follow the signature line.
// - "kind" keeps a signed server list from being served as a manifest.
// - "sequence" (decimal, 1 to 18446744073709551615, no leading zero) only
//   grows from one signing to the next. The launcher remembers the highest it
//   has accepted and refuses a lower one, so an old document (with the old,
//   perhaps vulnerable, files it lists) cannot be replayed. An equal one is
//   the same document fetched again and is accepted.
// - "file" lines carry what the plain manifest carries (the path with "\"
//   separators, CRC-32 and size in decimal) plus the file's SHA-256; "delete"
//   lines a path to delete. Both in the order the launcher works through them.
// - Strict where the plain forms forgive: no CR, tab, DEL or other control
//   character, no byte beyond ASCII except in a server's name (which carries
//   what the plain list carries), no blank line, no unknown line, numbers
//   without signs or blanks.
//   A document that breaks a rule is refused whole: its signer made it, so a
//   part of it cannot be trusted to mean what the signer meant.
// - At most kSignedDocumentLimit bytes (see below).

#include "digest/Sha256.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// 1 MiB. The signature covers the whole text, so the launcher must hold all
// of it before it can trust any of it; the limit bounds what a hostile server
// can make it read and keep. A file line is about 100 bytes (a path, two
// numbers and 64 hex digits), so this is room for some ten thousand files,
// far more than a game folder's community set. The plain manifest is read
// up to the same limit.
constexpr size_t kSignedDocumentLimit = 1 << 20;

// Where a launcher built with a key finds the two documents on the portal
// web server. Launchers without a key never ask for them.
constexpr const char kSignedManifestPath[] = "/signed/files.txt";
constexpr const char kSignedServerListPath[] = "/signed/serverlist.txt";

enum class SignedKind { kManifest, kServerList };

// The community's public key, fixed into the launcher when it is built.
class ISignatureVerifier {
public:
    // Whether signature (r then s, 32 bytes each, big-endian) is the key's
    // ECDSA P-256 signature of digest.
    virtual bool Verify(const Sha256Digest& digest, const uint8_t (&signature)[64]) = 0;

protected:
    ~ISignatureVerifier() = default;
};

struct SignedFileEntry {
    bool isDelete = false;
    std::string name;
    uint32_t crc = 0;
    uint32_t size = 0;
    Sha256Digest sha256{};
};

// One server of a signed server list: ADDRESS and NAME, as the plain list
// gives them.
struct SignedServerEntry {
    std::string address;
    std::string name;
};

struct SignedDocument {
    SignedKind kind = SignedKind::kManifest;
    uint64_t sequence = 0;
    std::vector<SignedFileEntry> files;     // a manifest's entries, in order
    std::vector<SignedServerEntry> servers; // a server list's servers, in order
};

enum class SignedVerdict {
    kAccepted,
    kOversized,    // more than kSignedDocumentLimit bytes
    kUnsigned,     // no well-formed signature line at the end (also a cut text)
    kBadSignature, // the signature is not the key's over these bytes
    kMalformed,    // signed, but not a document of this format
    kWrongKind,    // a server list where a manifest was asked for, or back
    kOlder,        // a sequence below the highest one accepted before
    kBadPath,      // a path that does not stay inside the game folder
};

struct SignedCheck {
    SignedVerdict verdict = SignedVerdict::kUnsigned;
    SignedDocument document; // filled only when accepted
    // For the log: the first line at fault (from 1) of a malformed document
    // or one with a bad path, and the sequence an older document carries.
    size_t line = 0;
    uint64_t sequence = 0;
};

// The launcher's whole decision on a fetched document. highestAccepted is the
// highest sequence of this kind accepted before (0 when none).
SignedCheck CheckSignedDocument(std::string_view text, SignedKind expected,
                                uint64_t highestAccepted, ISignatureVerifier& verifier);
