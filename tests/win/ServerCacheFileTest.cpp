// The game's server cache file.
#include "TestFolder.h"

#include "serverlist/Win32ServerList.h"
#include "win/Handle.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

// A cache that another program holds open (the game reading it, say) exists:
// it is neither rebuilt as missing nor torn; a replace that cannot take its
// place leaves it whole and no temporary file behind.
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
