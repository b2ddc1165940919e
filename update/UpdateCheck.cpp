#include "update/UpdateCheck.h"

#include "update/RunLog.h"

#include <algorithm>

bool IsLocalCopyCurrent(const ManifestItem& item, IGameFolder& folder) {
    uint32_t size = 0;
    if (!folder.GetLocalFileSize(item.name, size)) {
        LogLine("file " + item.name + ": missing, to fetch");
        return false;
    }
    if (size != item.size) {
        LogLine("file " + item.name + ": " + std::to_string(size) + " bytes, listed " +
                std::to_string(item.size) + ", to fetch");
        return false;
    }
    uint32_t crc = 0;
    // An unreadable file still has a CRC (of what was read), and that decides.
    const uint32_t error = folder.ComputeFileCrc32(item.name, crc);
    if (crc == item.crc) {
        LogLine("file " + item.name + ": current");
        return true;
    }
    LogLine("file " + item.name + ": CRC " + std::to_string(crc) + ", listed " +
            std::to_string(item.crc) +
            (error ? " (read error " + std::to_string(error) + ")" : std::string()) + ", to fetch");
    return false;
}

std::string LocalNameFor(const std::string& name) {
    return name == kLauncherName ? std::string("vemor.new") : name;
}

std::string RemoteNameFor(const std::string& name) {
    std::string remote = name;
    std::replace(remote.begin(), remote.end(), '\\', '/');
    return remote;
}

UpdatePlan DeleteAndListOutdated(const Manifest& manifest, IGameFolder& folder) {
    UpdatePlan plan;
    for (const ManifestItem& item : manifest.items) {
        if (item.isDelete) {
            folder.DeleteLocalFile(item.name);
            LogLine("file " + item.name + ": deleted as the manifest asks");
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
