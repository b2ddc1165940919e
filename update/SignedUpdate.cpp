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
