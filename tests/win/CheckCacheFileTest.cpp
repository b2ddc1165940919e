// The check cache and the log as files of the game folder, through the real
// file functions.
#include "TestFolder.h"

#include "update/Win32CheckCache.h"
#include "update/Win32LogFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

CheckCache::Stamp StampOf(const std::string& path) {
    Win32FileStamps stamps;
    CheckCache::Stamp stamp;
    EXPECT_TRUE(stamps.GetFileStamp(path, stamp)) << path;
    return stamp;
}

TEST(CheckCacheFileTest, AStoredCacheRemembersTheFileUntilItsTimeChanges) {
    TestFolder folder;
    WriteFileBytes("a.pk3", "twelve bytes");
    const CheckCache::Stamp stamp = StampOf("a.pk3");
    EXPECT_EQ(stamp.size, 12u);

    CheckCache cache = LoadCheckCache(kCheckCacheFile);
    cache.Record("a.pk3", stamp, 1234);
    ASSERT_TRUE(SaveCheckCache(kCheckCacheFile, cache));
    EXPECT_FALSE(FileExists(std::string(kCheckCacheFile) + ".tmp"));
    CheckCache loaded = LoadCheckCache(kCheckCacheFile);
    uint32_t crc = 0;
    EXPECT_TRUE(loaded.Lookup("a.pk3", StampOf("a.pk3"), crc));
    EXPECT_EQ(crc, 1234u);

    // Rewritten with the same size: the system gives it a new time.
    HANDLE file = ::CreateFileA("a.pk3", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME later = {};
    ULARGE_INTEGER time;
    time.QuadPart = stamp.time + 10000000;
    later.dwLowDateTime = time.LowPart;
    later.dwHighDateTime = time.HighPart;
    ::SetFileTime(file, nullptr, nullptr, &later);
    ::CloseHandle(file);
    EXPECT_FALSE(LoadCheckCache(kCheckCacheFile).Lookup("a.pk3", StampOf("a.pk3"), crc));

    // A folder of that name is not a file to remember.
    ::CreateDirectoryA("maps", nullptr);
    CheckCache::Stamp none;
    EXPECT_FALSE(Win32FileStamps().GetFileStamp("maps", none));
}

TEST(CheckCacheFileTest, TheLogKeepsOneOlderCopyAndAnUnwritableOneIsNoLog) {
    TestFolder folder;
    for (const char* run : {"first run", "second run", "third run"}) {
        const std::unique_ptr<ILogFile> log = OpenRunLogFile("vemor.log", "vemor.old.log");
        ASSERT_TRUE(log);
        EXPECT_TRUE(log->Append(run));
    }
    EXPECT_NE(ReadFileBytes("vemor.log").find("third run\r\n"), std::string::npos);
    EXPECT_NE(ReadFileBytes("vemor.old.log").find("second run\r\n"), std::string::npos);
    EXPECT_EQ(ReadFileBytes("vemor.old.log").find("first run"), std::string::npos);

    ::CreateDirectoryA("locked", nullptr);
    ::CreateDirectoryA("locked\\vemor.log", nullptr);
    ::CreateDirectoryA("locked\\vemor.old.log", nullptr);
    EXPECT_FALSE(OpenRunLogFile("locked\\vemor.log", "locked\\vemor.old.log"));
}

} // namespace
