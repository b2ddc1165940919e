#include "update/CachedGameFolder.h"

bool CachedGameFolder::GetLocalFileSize(const std::string& path, uint32_t& size) {
    m_stampedPath.clear();
    CheckCache::Stamp stamp;
    if (!m_stamps.GetFileStamp(path, stamp))
        return false;
    m_stampedPath = path;
    m_stamp = stamp;
    size = static_cast<uint32_t>(stamp.size);
    return true;
}

uint32_t CachedGameFolder::ComputeFileCrc32(const std::string& path, uint32_t& crc) {
    const bool stamped = m_stampedPath == path;
    m_lastRemembered = stamped && m_cache.Lookup(path, m_stamp, crc);
    if (m_lastRemembered)
        return 0;
    const uint32_t result = m_folder.ComputeFileCrc32(path, crc);
    if (result == 0 && stamped)
        m_cache.Record(path, m_stamp, crc);
    else
        m_cache.Forget(path);
    return result;
}

void CachedGameFolder::DeleteLocalFile(const std::string& path) {
    m_folder.DeleteLocalFile(path);
    m_cache.Forget(path);
    if (m_stampedPath == path)
        m_stampedPath.clear();
}

std::unique_ptr<ILocalFile> CachedGameFolder::CreateLocalFile(const std::string& path) {
    m_cache.Forget(path);
    return m_folder.CreateLocalFile(path);
}

bool CachedGameFolder::MoveIntoPlace(const std::string& from, const std::string& target) {
    if (m_stampedPath == target)
        m_stampedPath.clear();
    m_cache.Forget(target);
    if (!m_folder.MoveIntoPlace(from, target))
        return false;
    const auto verified = m_verified.find(target);
    CheckCache::Stamp stamp;
    if (verified != m_verified.end() && m_stamps.GetFileStamp(target, stamp))
        m_cache.Record(target, stamp, verified->second);
    return true;
}
