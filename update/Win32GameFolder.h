#pragma once

#include "update/GameFolder.h"

// The game folder through the Win32 file functions, relative to the current
// directory.
class Win32GameFolder : public IGameFolder {
public:
    bool GetLocalFileSize(const std::string& path, uint32_t& size) override;
    uint32_t ComputeFileCrc32(const std::string& path, uint32_t& crc) override;
    DeleteResult DeleteLocalFile(const std::string& path) override;
    std::unique_ptr<ILocalFile> CreateLocalFile(const std::string& path) override;
    std::unique_ptr<ILocalFile>
    AppendLocalFile(const std::string& path,
                    const std::function<bool(const void*, size_t)>& existing) override;
    bool MoveIntoPlace(const std::string& from, const std::string& target) override;
};
