#include "TestFolder.h"

#include "app/LaunchSession.h"
#include "win/Handle.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

const char kCfg[] = "japlus\\jampconfig.cfg";
const char kTmp[] = "japlus\\jampconfig.tmp";
const char kEx[] = "japlus\\jampconfig_ex.cfg";
const char kExTmp[] = "japlus\\jampconfig_ex.tmp";

// A temporary file that another program holds, or a folder in its place:
// staging and restoring leave the player's files exactly as they were. (The
// byte-for-byte round trip is proved by the end-to-end launch scenario.)
TEST(Win32ConfigFilesTest, LockedOrBlockedTemporaryFilesLeaveTheConfigurationAlone) {
    const std::string original = "bind w +forward\r\nseta jp_x 1\r\nseta name P\r\n"
                                 "seta cp_clanPwd \"a:b\"\r\n";
    struct Case {
        const char* what;
        const char* path;
        bool folder;
        DWORD share;
    } cases[] = {
        {"main temporary locked", kTmp, false, 0},
        {"main temporary is a folder", kTmp, true, 0},
        {"extra temporary locked", kExTmp, false, 0},
        {"extra configuration cannot be replaced", kEx, false, FILE_SHARE_READ},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestFolder folder;
        WriteFileBytes(kCfg, original);
        WriteFileBytes(kEx, "old\r\n");
        ASSERT_TRUE(!c.folder || ::CreateDirectoryA(c.path, nullptr));
        {
            // Held open the way another program that locks it would.
            win::ScopedHandle lock(::CreateFileA(c.path, GENERIC_READ | GENERIC_WRITE, c.share,
                                                 nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                                 nullptr));
            ASSERT_TRUE(c.folder || lock.IsValid());
            LaunchSession session;
            session.StageGameConfig();
            EXPECT_EQ(ReadFileBytes(kCfg), original);
            EXPECT_EQ(ReadFileBytes(kEx), "old\r\n");
            if (c.path == kTmp) {
                session.RestoreGameConfig();
                EXPECT_EQ(ReadFileBytes(kCfg), original);
            }
        }
        EXPECT_TRUE(c.path == kExTmp || !FileExists(kExTmp));
    }
}

} // namespace
