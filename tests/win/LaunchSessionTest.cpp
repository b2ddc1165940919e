#include "TestFolder.h"

#include "app/LaunchSession.h"
#include "win/MessageBox.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

const char kBase[] = "jamp.exe +set fs_game japlus +exec jampconfig_ex.cfg +set cp_clanPwd ";

std::string RecordedCommandLine() {
    const std::string record = ReadFileBytes("jamp-started.txt");
    if (record.compare(0, 8, "cmdline ") != 0)
        return "<no record>";
    const size_t newline = record.find('\n');
    const size_t length = std::stoul(record.substr(8, newline - 8));
    return record.substr(newline + 1, length);
}

HWND OwnMessageBox() {
    HWND box = nullptr;
    while ((box = ::FindWindowExA(nullptr, box, "#32770", win::AppTitle())) != nullptr) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(box, &process);
        if (process == ::GetCurrentProcessId())
            return box;
    }
    return nullptr;
}

// (The plain launch, its command line and the wait for the game's end are
// proved by the end-to-end launch scenario.)
TEST(LaunchSessionTest, AnInjectedValueStaysOneValueOfTheClanPassword) {
    TestFolder folder;
    ASSERT_TRUE(::CopyFileA(WindowsPathOf(VEMOR_JAMP_EXE).c_str(), "jamp.exe", FALSE));
    LaunchSession session;
    session.GetAccount().m_accessMid = "x +exec other.cfg";
    session.GetAccount().m_accessCode = "c;quit";
    session.LaunchGame();
    EXPECT_EQ(RecordedCommandLine(), std::string(kBase) + "\"x +exec other.cfg:c;quit\"");
    // How the game splits it: three commands, the last one setting the value.
    EXPECT_EQ(ReadFileBytes("jamp-commands.txt"), "set\tfs_game\tjaplus\nexec\tjampconfig_ex.cfg\n"
                                                  "set\tcp_clanPwd\tx +exec other.cfg:c;quit\n");
}

TEST(LaunchSessionTest, AGameThatCannotStartIsReportedWithTheSystemsReason) {
    TestFolder folder;
    char reason[256] = {};
    ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     ERROR_FILE_NOT_FOUND, 0, reason, sizeof reason, nullptr);
    std::string expected = reason;
    while (!expected.empty() && (expected.back() == '\n' || expected.back() == '\r'))
        expected.pop_back();
    // Other programs share the test display (a scenario's launcher may show
    // its own box with the same title): only this process's box is answered.
    std::string shown;
    std::thread answerer([&shown] {
        for (int tries = 0; tries < 200 && shown.empty(); ++tries) {
            ::Sleep(50);
            if (HWND box = OwnMessageBox()) {
                char text[512] = {};
                ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                shown = text;
                ::PostMessageA(box, WM_COMMAND, IDOK, 0);
            }
        }
    });
    LaunchSession session;
    session.LaunchGame();
    answerer.join();
    EXPECT_EQ(shown, "The game could not be started (jamp.exe): " + expected);
    EXPECT_FALSE(FileExists("jamp-started.txt"));
}

} // namespace
