#include "update/CachedGameFolder.h"

bool CachedGameFolder::GetLocalFileSize(const std::string& path, uint32_t& size) {
    m_consulted = true;
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
    if (stamped && m_cache.Lookup(path, m_stamp, crc)) {
        ++m_remembered;
        return 0;
    }
    ++m_read;
    const uint32_t result = m_folder.ComputeFileCrc32(path, crc);
    if (result == 0 && stamped)
        m_cache.Record(path, m_stamp, crc);
    else
        m_cache.Forget(path);
    return result;
}

DeleteResult CachedGameFolder::DeleteLocalFile(const std::string& path) {
    m_consulted = true;
    // Forgotten even when the delete failed: the file may have changed.
    m_cache.Forget(path);
    if (m_stampedPath == path)
        m_stampedPath.clear();
    return m_folder.DeleteLocalFile(path);
}

std::unique_ptr<ILocalFile> CachedGameFolder::CreateLocalFile(const std::string& path) {
    m_cache.Forget(path);
    return m_folder.CreateLocalFile(path);
}

bool CachedGameFolder::MoveIntoPlace(const std::string& from, const std::string& target) {
    if (m_stampedPath == target)
        m_stampedPath.clear();
    m_cache.Forget(target);
    return m_folder.MoveIntoPlace(from, target);
}

void CachedGameFolder::PlacedVerified(const std::string& path, uint32_t crc) {
    CheckCache::Stamp stamp;
    if (m_stamps.GetFileStamp(path, stamp))
        m_cache.Record(path, stamp, crc);
}
