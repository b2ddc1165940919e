#pragma once

#include "net/ITextFetch.h"
#include "signing/SignedDocument.h"

#include <cstdint>
#include <string>

// The highest sequence accepted so far for each kind of signed document,
// kept in "vemor.ini".
class ISequenceStore {
public:
    // highest is 0 when none was stored; false when a value is stored that
    // cannot be read (edited, damaged).
    virtual bool ReadHighest(SignedKind kind, uint64_t& highest) = 0;
    virtual void WriteHighest(SignedKind kind, uint64_t sequence) = 0;

protected:
    ~ISequenceStore() = default;
};

// What a launcher is built with for signed updates: the community's public
// key (empty: none, the plain manifest and server list are taken) and its
// floor, the sequence the community had signed by then.
struct SigningSettings {
    std::string publicKey;
    uint64_t floor = 0;
};

// What a launcher built with the community's key reads its updates through.
struct SignedSource {
    IDocumentFetch& http;
    ISignatureVerifier& verifier;
    ISequenceStore& sequences;
    // Nothing older is taken even where no sequence is stored (a fresh
    // install) or the stored one cannot be read: without it such a player
    // could be served the oldest signed file set, with its old launcher.
    uint64_t floor = 0;
};

// Fetches the signed document of this kind from url and decides on it. An
// accepted document's sequence becomes the highest accepted one, so no older
// document is taken again; none below the source's floor is taken at all.
SignedCheck FetchSignedDocument(SignedSource& source, const std::string& url, SignedKind kind);

// The log's line for a decision on a document of this kind: the sequence
// accepted, or why it was refused. stored: the highest accepted before;
// floor: the lowest sequence this launcher was built to take.
std::string DescribeSignedCheck(const SignedCheck& check, SignedKind kind, uint64_t stored,
                                uint64_t floor);
