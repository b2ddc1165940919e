#include "update/UpdateCheck.h"

#include <algorithm>

bool IsLocalCopyCurrent(const ManifestItem& item, IGameFolder& folder) {
    uint32_t size = 0;
    if (!folder.GetLocalFileSize(item.name, size) || size != item.size)
        return false;
    uint32_t crc = 0;
    // An unreadable file still has a CRC (of what was read), and that decides.
    folder.ComputeFileCrc32(item.name, crc);
    return crc == item.crc;
}

std::string LocalNameFor(const std::string& name) {
    return name == kLauncherName ? std::string("vemor.new") : name;
}

std::string RemoteNameFor(const std::string& name) {
    std::string remote = name;
    std::replace(remote.begin(), remote.end(), '\\', '/');
    return remote;
}

UpdatePlan CheckManifest(const Manifest& manifest, IGameFolder& folder) {
    UpdatePlan plan;
    for (const ManifestItem& item : manifest.items) {
        if (item.isDelete) {
            folder.DeleteLocalFile(item.name);
            continue;
        }
        if (IsLocalCopyCurrent(item, folder))
            continue;
        plan.fetchList.push_back(item);
        if (item.name == kLauncherName)
            plan.selfUpdate = true;
    }
    return plan;
}
