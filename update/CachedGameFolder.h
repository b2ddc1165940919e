#pragma once

#include "update/CheckCache.h"
#include "update/GameFolder.h"

#include <string>

// The size and last-write time of a local file, in one attribute query.
class IFileStamps {
public:
    // False when the file is missing or its attributes cannot be read.
    virtual bool GetFileStamp(const std::string& path, CheckCache::Stamp& stamp) = 0;

protected:
    ~IFileStamps() = default;
};

// The game folder with the check cache in front of the CRC: a file whose
// stamp is the remembered one is not read. Every CRC computed here, every
// deletion, every file put in place and every verified download keeps the
// cache true.
//
// The check asks for a file's size and then, when that matches, for its CRC;
// the stamp of the size query is the one the CRC is remembered with. It is
// taken before the file is read, so a file that changes during the read has
// a newer time next run and is read again.
class CachedGameFolder : public IGameFolder {
public:
    CachedGameFolder(IGameFolder& folder, IFileStamps& stamps, CheckCache& cache)
        : m_folder(folder), m_stamps(stamps), m_cache(cache) {}

    // Whether the run asked about any file (or deleted one). A run that did
    // not (no manifest) tells nothing about the folder, and the stored cache
    // stays as it was.
    bool Consulted() const { return m_consulted; }
    // How many CRCs this run took from the cache, and how many it read.
    int Remembered() const { return m_remembered; }
    int Read() const { return m_read; }

    bool GetLocalFileSize(const std::string& path, uint32_t& size) override;
    uint32_t ComputeFileCrc32(const std::string& path, uint32_t& crc) override;
    DeleteResult DeleteLocalFile(const std::string& path) override;
    std::unique_ptr<ILocalFile> CreateLocalFile(const std::string& path) override;
    std::unique_ptr<ILocalFile>
    AppendLocalFile(const std::string& path,
                    const std::function<bool(const void*, size_t)>& existing) override {
        return m_folder.AppendLocalFile(path, existing);
    }
    bool MoveIntoPlace(const std::string& from, const std::string& target) override;
    void PlacedVerified(const std::string& path, uint32_t crc) override;

private:
    IGameFolder& m_folder;
    IFileStamps& m_stamps;
    CheckCache& m_cache;
    std::string m_stampedPath;
    CheckCache::Stamp m_stamp;
    bool m_consulted = false;
    int m_remembered = 0;
    int m_read = 0;
};
