#include "TestFolder.h"

#include "app/LaunchSession.h"
#include "win/MessageBox.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

const char kBase[] = "jamp.exe +set fs_game japlus +exec jampconfig_ex.cfg +set cp_clanPwd ";

// A value the stand-in game recorded in jamp-started.txt.
std::string RecordedLine(const std::string& key) {
    const std::string record = ReadFileBytes("jamp-started.txt");
    const size_t at = record.find("\n" + key + " ");
    if (at == std::string::npos)
        return "<no record>";
    const size_t start = at + key.size() + 2;
    return record.substr(start, record.find('\n', start) - start);
}

// The command line the stand-in game recorded in jamp-started.txt.
std::string RecordedCommandLine() {
    const std::string record = ReadFileBytes("jamp-started.txt");
    if (record.compare(0, 8, "cmdline ") != 0)
        return "<no record>";
    const size_t newline = record.find('\n');
    const size_t length = std::stoul(record.substr(8, newline - 8));
    return record.substr(newline + 1, length);
}

void CopyStandInGame() {
    ASSERT_TRUE(::CopyFileA(WindowsPathOf(VEMOR_JAMP_EXE).c_str(), "jamp.exe", FALSE));
}

class Environment {
public:
    Environment(const char* name, const char* value) : m_name(name) {
        ::SetEnvironmentVariableA(name, value);
    }
    ~Environment() { ::SetEnvironmentVariableA(m_name, nullptr); }

private:
    const char* m_name;
};

TEST(LaunchGame, StartsTheGameWithTheClanPasswordAndWaitsForItsEnd) {
    TestFolder folder;
    CopyStandInGame();
    WriteFileBytes("japlus\\jampconfig.cfg", "seta name P\r\n");
    // The stand-in saves its configuration as it ends, like the game: the line
    // is there when LaunchGame returns only if it waited for the game.
    Environment save("JAMP_STANDIN_SAVE", "1");
    Environment wait("JAMP_STANDIN_WAIT_MS", "700");

    LaunchSession session;
    session.GetAccount().m_accessMid = "m1";
    session.GetAccount().m_accessCode = "c2";
    session.LaunchGame();
    EXPECT_EQ(RecordedCommandLine(), std::string(kBase) + "m1:c2");
    EXPECT_EQ(ReadFileBytes("japlus\\jampconfig.cfg"),
              "seta name P\r\nseta cp_clanPwd \"m1:c2\"\r\n");
    // The game's thread can no longer be opened once nobody holds a handle to
    // it. (Wine keeps ended processes openable, so only the thread shows this.)
    const DWORD threadId = std::stoul(RecordedLine("thread"));
    HANDLE thread = ::OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, threadId);
    EXPECT_EQ(thread, nullptr);
    if (thread)
        ::CloseHandle(thread);
}

TEST(LaunchGame, AnInjectedValueStaysOneValueOfTheClanPassword) {
    TestFolder folder;
    CopyStandInGame();
    LaunchSession session;
    session.GetAccount().m_accessMid = "x +exec other.cfg";
    session.GetAccount().m_accessCode = "c;quit";
    session.LaunchGame();
    EXPECT_EQ(RecordedCommandLine(), std::string(kBase) + "\"x +exec other.cfg:c;quit\"");
    // How the game splits it: three commands, the last one setting the value.
    EXPECT_EQ(ReadFileBytes("jamp-commands.txt"), "set\tfs_game\tjaplus\nexec\tjampconfig_ex.cfg\n"
                                                  "set\tcp_clanPwd\tx +exec other.cfg:c;quit\n");
}

// Answers the first message box of this process with OK and keeps its text.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer()
        : m_thread([this] {
              for (int tries = 0; tries < 200 && m_text.empty(); ++tries) {
                  ::Sleep(50);
                  HWND box = ::FindWindowA("#32770", win::AppTitle());
                  if (!box)
                      continue;
                  char text[512] = {};
                  ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                  m_text = text;
                  ::PostMessageA(box, WM_COMMAND, IDOK, 0);
              }
          }) {}
    ~MessageBoxAnswerer() { Text(); }
    const std::string& Text() {
        if (m_thread.joinable())
            m_thread.join();
        return m_text;
    }

private:
    std::string m_text;
    std::thread m_thread;
};

// The player is told why the game did not start, in the system's words, and
// nothing waits for a game that is not there.
TEST(LaunchGame, AGameThatCannotStartIsReportedWithTheSystemsReason) {
    TestFolder folder;
    char reason[256] = {};
    ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     ERROR_FILE_NOT_FOUND, 0, reason, sizeof reason, nullptr);
    std::string expected = reason;
    while (!expected.empty() && (expected.back() == '\n' || expected.back() == '\r'))
        expected.pop_back();
    MessageBoxAnswerer answerer;
    LaunchSession session;
    session.LaunchGame();
    EXPECT_EQ(answerer.Text(), "The game could not be started (jamp.exe): " + expected);
    EXPECT_FALSE(FileExists("jamp-started.txt"));
}

} // namespace
