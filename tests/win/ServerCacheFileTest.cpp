#include "TestFolder.h"

#include "serverlist/Win32ServerList.h"
#include "win/Handle.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

// Held open by another program, the game reading it, say.
TEST(ServerCacheFileTest, ALockedCacheExistsAndStaysWhole) {
    TestFolder folder;
    Win32ServerCacheFile cache;
    EXPECT_FALSE(cache.Exists());
    EXPECT_TRUE(cache.Replace("first"));
    EXPECT_EQ(ReadFileBytes("servercache.dat"), "first");
    win::ScopedHandle held(::CreateFileA("servercache.dat", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held.IsValid());
    EXPECT_TRUE(cache.Exists());
    EXPECT_FALSE(cache.Replace("second"));
    held.Close();
    EXPECT_EQ(ReadFileBytes("servercache.dat"), "first");
    EXPECT_FALSE(FileExists("servercache.tmp"));
}

} // namespace
