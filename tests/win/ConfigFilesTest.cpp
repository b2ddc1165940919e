#include "TestFolder.h"

#include "app/LaunchSession.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

const char kCfg[] = "japlus\\jampconfig.cfg";
const char kTmp[] = "japlus\\jampconfig.tmp";
const char kEx[] = "japlus\\jampconfig_ex.cfg";
const char kExTmp[] = "japlus\\jampconfig_ex.tmp";

// Holds a file open the way another program that locks it would.
class LockedFile {
public:
    LockedFile(const char* path, DWORD share)
        : m_file(::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~LockedFile() {
        if (m_file != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_file);
    }
    bool IsOpen() const { return m_file != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_file;
};

// Staging and restoring byte for byte are proved by the end-to-end launch
// scenario, a missing configuration by the native tests; here what only the
// real file functions can show.
// A temporary file that another program holds, or a folder in its place:
// staging and restoring must leave the player's files exactly as they were.
TEST(GameConfigOnDisk, LockedOrBlockedTemporaryFilesLeaveTheConfigurationAlone) {
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
        if (c.folder) {
            ASSERT_TRUE(::CreateDirectoryA(c.path, nullptr));
        }
        {
            LockedFile lock(c.path, c.share);
            ASSERT_TRUE(c.folder || lock.IsOpen());
            LaunchSession session;
            session.StageGameConfig();
            EXPECT_EQ(ReadFileBytes(kCfg), original);
            EXPECT_EQ(ReadFileBytes(kEx), "old\r\n");
            if (c.path == kTmp) {
                session.RestoreGameConfig();
                EXPECT_EQ(ReadFileBytes(kCfg), original);
            }
        }
        if (c.path != kExTmp) {
            EXPECT_FALSE(FileExists(kExTmp));
        }
    }
}

} // namespace
