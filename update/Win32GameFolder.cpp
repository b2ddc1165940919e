#include "update/Win32GameFolder.h"

#include "digest/Crc32.h"
#include "log/Win32LogFile.h"
#include "win/Handle.h"
#include "win/WholeFile.h"

#include <windows.h>

#include <vector>

namespace {

// Small writes are gathered: a system call for each costs more than the
// transfer itself under some systems. The file is a temporary one until it is complete, so nobody
// sees the difference.
class Win32LocalFile : public ILocalFile {
public:
    explicit Win32LocalFile(HANDLE file) : m_file(file) { m_pending.reserve(kGather); }

    bool Write(const void* data, size_t length) override {
        const auto* bytes = static_cast<const char*>(data);
        m_pending.insert(m_pending.end(), bytes, bytes + length);
        return m_pending.size() < kGather || Flush();
    }
    // Flushed to the disk before it may replace the player's copy.
    bool Close() override {
        const bool flushed = Flush() && ::FlushFileBuffers(m_file.Get());
        return m_file.Close() && flushed;
    }

private:
    static constexpr size_t kGather = 256 * 1024;

    bool Flush() {
        DWORD written = 0;
        const bool ok = m_pending.empty() ||
                        (::WriteFile(m_file.Get(), m_pending.data(),
                                     static_cast<DWORD>(m_pending.size()), &written, nullptr) &&
                         written == m_pending.size());
        m_pending.clear();
        return ok;
    }

    win::ScopedHandle m_file;
    std::vector<char> m_pending;
};

// Sequential reads of this size are what the check was measured with.
constexpr DWORD kCrcBlock = 4096;

} // namespace

bool Win32GameFolder::GetLocalFileSize(const std::string& path, uint32_t& size) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    size = data.nFileSizeLow;
    return true;
}

uint32_t Win32GameFolder::ComputeFileCrc32(const std::string& path, uint32_t& crc) {
    uint32_t state = kCrc32Start;
    uint32_t result = 0;
    win::ScopedHandle file(
        ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                      FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_SYSTEM |
                          FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY,
                      nullptr));
    if (!file.IsValid()) {
        result = ::GetLastError();
    } else {
        unsigned char buffer[kCrcBlock];
        DWORD got = 0;
        BOOL read = FALSE;
        while ((read = ::ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr)) && got > 0)
            state = Crc32Update(state, buffer, got);
        // The CRC of part of a file must not pass for the file's own: the
        // check cache would remember it.
        if (!read)
            result = ERROR_CRC;
    }
    crc = Crc32Finish(state);
    return result;
}

DeleteResult Win32GameFolder::DeleteLocalFile(const std::string& path) {
    DeleteResult result;
    if (::DeleteFileA(path.c_str()))
        return result;
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        result.outcome = DeleteResult::kNotThere;
    } else {
        result.outcome = DeleteResult::kFailed;
        ::SetLastError(error);
        result.reason = DescribeLastError();
    }
    return result;
}

namespace {

HANDLE CreateForWriting(const std::string& path) {
    return ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A community that adds a folder to its file set would otherwise never get
// its files to anyone: the folders on the way are made first. The path has
// passed the manifest's rules, so every folder made lies inside the game folder.
void CreateParentFolders(const std::string& path) {
    for (size_t at = path.find_first_of("\\/"); at != std::string::npos;
         at = path.find_first_of("\\/", at + 1))
        ::CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
}

} // namespace

std::unique_ptr<ILocalFile> Win32GameFolder::CreateLocalFile(const std::string& path) {
    HANDLE file = CreateForWriting(path);
    if (file == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_PATH_NOT_FOUND) {
        CreateParentFolders(path);
        file = CreateForWriting(path);
    }
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<Win32LocalFile>(file);
}

std::unique_ptr<ILocalFile>
Win32GameFolder::AppendLocalFile(const std::string& path,
                                 const std::function<bool(const void*, size_t)>& existing) {
    const HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    auto file = std::make_unique<Win32LocalFile>(handle);
    std::vector<char> buffer(64 * 1024);
    DWORD got = 0;
    BOOL read = FALSE;
    while ((read = ::ReadFile(handle, buffer.data(), static_cast<DWORD>(buffer.size()), &got,
                              nullptr)) &&
           got > 0)
        if (!existing(buffer.data(), got))
            return nullptr;
    // Reading to the end leaves the file position there, where writing goes on.
    return read ? std::move(file) : nullptr;
}

bool Win32GameFolder::MoveIntoPlace(const std::string& from, const std::string& target) {
    return win::MoveIntoPlace(from, target);
}
