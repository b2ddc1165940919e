#include "update/SignedManifest.h"

#include <utility>

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
