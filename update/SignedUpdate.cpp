#include "update/SignedUpdate.h"

#include "update/RunLog.h"

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
    return check;
}

Manifest FetchSignedManifest(SignedSource& source, const std::string& url) {
    Manifest manifest;
    SignedCheck check = FetchSignedDocument(source, url, SignedKind::kManifest);
    if (check.verdict != SignedVerdict::kAccepted)
        return manifest;
    manifest.valid = true;
    for (SignedFileEntry& entry : check.document.files) {
        ManifestItem item;
        item.isDelete = entry.isDelete;
        item.name = std::move(entry.name);
        item.crc = entry.crc;
        item.size = entry.size;
        item.hasSha256 = !entry.isDelete;
        item.sha256 = entry.sha256;
        manifest.items.push_back(std::move(item));
    }
    return manifest;
}

bool FetchSignedServerList(SignedSource& source, const std::string& url, ServerList& list) {
    SignedCheck check = FetchSignedDocument(source, url, SignedKind::kServerList);
    if (check.verdict != SignedVerdict::kAccepted)
        return false;
    list.stamp = "signed " + std::to_string(check.document.sequence);
    list.servers = std::move(check.document.servers);
    return true;
}
