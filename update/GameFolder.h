#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// A local file being written by the download.
class ILocalFile {
public:
    virtual ~ILocalFile() = default;
    virtual bool Write(const void* data, size_t length) = 0;
    // Flushes and closes; false when the system refused the data.
    virtual bool Close() = 0;
};

// What became of a file to delete.
struct DeleteResult {
    enum Outcome { kDeleted, kNotThere, kFailed };
    Outcome outcome = kDeleted;
    std::string reason; // kFailed: the system's error, as the log reads it
};

// The game folder as the update sees it. Paths are relative to it (the
// current directory) and have passed the manifest's path rules.
class IGameFolder {
public:
    // False when the file is missing or its attributes cannot be read.
    virtual bool GetLocalFileSize(const std::string& path, uint32_t& size) = 0;
    // The CRC-32 of whatever could be read (0 when nothing); 0 as the result
    // when the file was read, a system error code otherwise.
    virtual uint32_t ComputeFileCrc32(const std::string& path, uint32_t& crc) = 0;
    virtual DeleteResult DeleteLocalFile(const std::string& path) = 0;
    // Creates or truncates a file; null when it cannot be created.
    virtual std::unique_ptr<ILocalFile> CreateLocalFile(const std::string& path) = 0;
    // Reopens a partial file to write on at its end. Every byte it already
    // holds is handed to `existing` first, in order, so that the checks of a
    // download cover those bytes too; `existing` may refuse more (false), and
    // the file is then not opened. Null when it is missing, cannot be read or
    // was refused.
    virtual std::unique_ptr<ILocalFile>
    AppendLocalFile(const std::string& path,
                    const std::function<bool(const void* data, size_t length)>& existing) = 0;
    // Replaces target with the finished file from.
    virtual bool MoveIntoPlace(const std::string& from, const std::string& target) = 0;
    // The download has put path in place after its bytes matched crc. A
    // folder that remembers CRCs keeps this one, so the next check need not
    // read the file.
    virtual void PlacedVerified(const std::string& path, uint32_t crc) {
        (void)path;
        (void)crc;
    }

protected:
    ~IGameFolder() = default;
};
