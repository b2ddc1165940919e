#include "TestFolder.h"

#include "update/Win32GameFolder.h"
#include "win/Handle.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// The stamp in vemor.ini and the moves into place are proved by the
// end-to-end scenario kit_on_apache_and_vsftpd.
TEST(GameFolderTest, SizesCrcDeletesAndAFileInTheWayOfAFolder) {
    TestFolder folder;
    Win32GameFolder files;
    WriteFileBytes("a.bin", "123456789");
    uint32_t size = 0, crc = 0;
    EXPECT_TRUE(files.GetLocalFileSize("a.bin", size));
    EXPECT_EQ(size, 9u);
    EXPECT_EQ(files.ComputeFileCrc32("a.bin", crc), 0u);
    EXPECT_EQ(crc, 0xCBF43926u);
    EXPECT_FALSE(files.GetLocalFileSize("missing", size));
    EXPECT_EQ(files.ComputeFileCrc32("missing", crc), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(crc, 0u);

    // A file standing where a folder must go stays.
    EXPECT_FALSE(files.CreateLocalFile("a.bin\\x"));
    EXPECT_EQ(ReadFileBytes("a.bin"), "123456789");

    // A delete tells a file held open (with the system's reason) from one
    // that is not there.
    win::ScopedHandle held(::CreateFileA("a.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    const DeleteResult refused = files.DeleteLocalFile("a.bin");
    EXPECT_EQ(refused.outcome, DeleteResult::kFailed);
    EXPECT_EQ(refused.reason.substr(0, 9), "error 32 ") << refused.reason;
    held.Close();
    EXPECT_EQ(files.DeleteLocalFile("a.bin").outcome, DeleteResult::kDeleted);
    EXPECT_EQ(files.DeleteLocalFile("a.bin").outcome, DeleteResult::kNotThere);
    EXPECT_EQ(files.DeleteLocalFile("no\\a.bin").outcome, DeleteResult::kNotThere);
}

} // namespace
