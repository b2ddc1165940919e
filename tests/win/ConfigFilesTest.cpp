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

TEST(GameConfigOnDisk, StageAndRestoreRewriteTheRealFilesWithCrLf) {
    TestFolder folder;
    WriteFileBytes(kCfg, "unbindall\nbind w +forward\r\nseta jp_x 1\r\nseta name Player\r\n"
                         "\r\nseta cl_x \"1\"");
    LaunchSession session;
    session.StageGameConfig();
    EXPECT_EQ(ReadFileBytes(kCfg), "seta name Player\r\n\r\nseta cl_x \"1\"\r\n");
    EXPECT_EQ(ReadFileBytes(kEx), "unbindall\r\nbind w +forward\r\n");
    EXPECT_FALSE(FileExists(kTmp));
    EXPECT_FALSE(FileExists(kExTmp));

    // What the game writes at its exit, then the clan password lines go.
    WriteFileBytes(kCfg, "seta name Player\nseta cp_clanPwd \"m1:c2\"\nseta CP_CLANPWD x");
    session.RestoreGameConfig();
    EXPECT_EQ(ReadFileBytes(kCfg), "seta name Player\r\nseta CP_CLANPWD x\r\n");
    EXPECT_EQ(ReadFileBytes(kEx), "unbindall\r\nbind w +forward\r\n");
    EXPECT_FALSE(FileExists(kTmp));
}

TEST(GameConfigOnDisk, NoConfigurationMeansNoFileIsCreated) {
    TestFolder folder;
    LaunchSession session;
    session.StageGameConfig();
    session.RestoreGameConfig();
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA("japlus\\*", &found);
    int entries = 0;
    do {
        if (found.cFileName[0] != '.')
            ++entries;
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    EXPECT_EQ(entries, 0);
}

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

TEST(LaunchSessionStart, SettingsPathIsTheCurrentFolderPlusVemorIni) {
    TestFolder folder;
    LaunchSession session;
    EXPECT_EQ(session.GetIniPath(), folder.Path() + "\\vemor.ini");
    EXPECT_EQ(session.IsCancelled(), 1);

    char previous[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA("C:\\"));
    LaunchSession atRoot;
    ::SetCurrentDirectoryA(previous);
    EXPECT_EQ(atRoot.GetIniPath(), "C:\\\\vemor.ini");
}

} // namespace
