#include "update/UpdateCheck.h"

namespace {

bool IsCurrent(const ManifestItem& item, IGameFolder& folder) {
    uint32_t size = 0;
    if (!folder.GetLocalFileSize(item.name, size) || size != item.size)
        return false;
    uint32_t crc = 0;
    // An unreadable file still has a CRC (of what was read), and that decides.
    folder.ComputeFileCrc32(item.name, crc);
    return crc == item.crc;
}

} // namespace

std::string LocalNameFor(const std::string& name) {
    return name == "vemor.exe" ? std::string("vemor.new") : name;
}

UpdatePlan CheckManifest(const Manifest& manifest, IGameFolder& folder) {
    UpdatePlan plan;
    for (const ManifestItem& item : manifest.items) {
        if (item.isDelete) {
            folder.DeleteLocalFile(item.name);
            continue;
        }
        if (IsCurrent(item, folder))
            continue;
        plan.fetchList.push_back(item.name);
        if (item.name == "vemor.exe")
            plan.selfUpdate = true;
    }
    return plan;
}
