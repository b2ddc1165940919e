#include "update/UpdateCheck.h"

#include "log/RunLog.h"

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
    if (crc == item.crc)
        return true;
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
    const size_t deletes =
        static_cast<size_t>(std::count_if(manifest.items.begin(), manifest.items.end(),
                                          [](const ManifestItem& item) { return item.isDelete; }));
    const size_t files = manifest.items.size() - deletes;
    size_t current = 0;
    size_t notThere = 0;
    for (const ManifestItem& item : manifest.items) {
        if (item.isDelete) {
            const DeleteResult result = folder.DeleteLocalFile(item.name);
            if (result.outcome == DeleteResult::kDeleted) {
                LogLine("file " + item.name + ": deleted as the manifest asks");
            } else if (result.outcome == DeleteResult::kNotThere) {
                ++notThere;
                if (deletes <= kCurrentLinesMax)
                    LogLine("file " + item.name + ": to delete, but not there");
            } else {
                LogLine("file " + item.name +
                        ": to delete, but it could not be deleted: " + result.reason);
                plan.deleteFailed = true;
            }
            continue;
        }
        if (IsLocalCopyCurrent(item, folder)) {
            ++current;
            if (files <= kCurrentLinesMax)
                LogLine("file " + item.name + ": current");
            continue;
        }
        plan.fetchList.push_back(item);
        if (item.name == kLauncherName)
            plan.selfUpdate = true;
    }
    if (files > kCurrentLinesMax)
        LogLine("files current: " + std::to_string(current) + " of " + std::to_string(files));
    if (deletes > kCurrentLinesMax)
        LogLine("files to delete that were not there: " + std::to_string(notThere) + " of " +
                std::to_string(deletes));
    return plan;
}
