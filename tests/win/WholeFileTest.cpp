// Whole-file reading and replacing on the real file functions: every player's
// file (cookie.dat, the game's configuration, the caches) rests on the
// promise that the old or the new file exists whole at every instant and
// that a replace which fails leaves the target as it was and no temporary.
#include "TestFolder.h"

#include "win/Handle.h"
#include "win/WholeFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

// One thread replaces the file over and over with two contents of different
// sizes while this one reads it: a replace that deleted first would show a
// missing file, one that wrote in place a torn one. A replace may fail while
// the reader holds the file (the locked case below), and for the instant of
// the move the reader is refused with a sharing violation (the move holds the
// new file with delete access, which the reader does not share): either way
// the file is there, whole.
TEST(WholeFileTest, AReaderSeesTheOldOrTheNewFileWholeWhileItIsReplaced) {
    TestFolder folder;
    const std::string versions[] = {std::string(200000, 'a'), std::string(70000, 'b')};
    ASSERT_TRUE(win::ReplaceWholeFile("player.dat", "player.tmp", versions[0]));
    std::atomic<bool> done{false};
    int replaced = 0;
    std::thread writer([&] {
        for (int i = 1; i <= 400; ++i)
            replaced += win::ReplaceWholeFile("player.dat", "player.tmp", versions[i % 2]);
        done = true;
    });
    int reads = 0, seen[2] = {}, missing = 0, torn = 0;
    for (; !done; ++reads) {
        std::string bytes;
        if (win::ReadWholeFile("player.dat", bytes) != ReadOutcome::kRead)
            missing += ::GetLastError() != ERROR_SHARING_VIOLATION;
        else if (bytes == versions[0] || bytes == versions[1])
            ++seen[bytes == versions[1]];
        else
            ++torn;
    }
    writer.join();
    EXPECT_EQ(missing, 0) << reads << " reads";
    EXPECT_EQ(torn, 0) << reads << " reads";
    // Both versions were read: the two threads really overlapped.
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0);
    EXPECT_GT(replaced, 0);
    EXPECT_FALSE(FileExists("player.tmp"));
}

// Another program holds the target without letting it be replaced, or the
// temporary, or a folder stands where either should be: the replace fails,
// the target stays exactly as it was and no temporary of ours is left.
TEST(WholeFileTest, AFailedReplaceLeavesTheTargetAndNoTemporary) {
    const struct {
        const char* what;
        const char* path;
        bool folder;
    } cases[] = {
        {"target held open", "player.dat", false},
        {"target is a folder", "player.dat", true},
        {"temporary held open", "player.tmp", false},
        {"temporary is a folder", "player.tmp", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestFolder folder;
        const bool onTarget = std::string(c.path) == "player.dat";
        if (!(c.folder && onTarget))
            WriteFileBytes("player.dat", "the player's own");
        win::ScopedHandle holder;
        if (c.folder)
            ASSERT_TRUE(::CreateDirectoryA(c.path, nullptr));
        else
            holder.Reset(::CreateFileA(c.path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(c.folder || holder.IsValid());
        EXPECT_FALSE(win::ReplaceWholeFile("player.dat", "player.tmp", "new bytes"));
        holder.Close();
        EXPECT_EQ(ReadFileBytes("player.dat"),
                  c.folder && onTarget ? "<missing>" : "the player's own");
        EXPECT_TRUE(FileExists(c.path));
        EXPECT_TRUE(!onTarget || !FileExists("player.tmp"));
    }
}

// A read takes the file from its start, at most the limit, in chunks of any
// size; a file that is not there is told apart and leaves nothing. (A read
// that fails part-way cannot be made here: Wine fails no read of a locked
// range.)
TEST(WholeFileTest, ReadsUpToTheLimitInChunksAndTellsAMissingFile) {
    TestFolder folder;
    WriteFileBytes("data.bin", "0123456789abcdefghijklmnopqrstuvwxyz");
    std::string bytes = "stale";
    EXPECT_EQ(win::ReadWholeFile("data.bin", bytes, 20, 7), ReadOutcome::kRead);
    EXPECT_EQ(bytes, "0123456789abcdefghij");
    EXPECT_EQ(win::ReadWholeFile("data.bin", bytes, 1000, 5), ReadOutcome::kRead);
    EXPECT_EQ(bytes, "0123456789abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(win::ReadWholeFile("absent.bin", bytes), ReadOutcome::kMissing);
    EXPECT_EQ(bytes, "");
}

} // namespace
