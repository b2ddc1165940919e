#include "update/RunLog.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

struct Lines {
    std::vector<std::string> lines;
    bool full = false;
};

struct MemoryLog : ILogFile {
    explicit MemoryLog(Lines& out) : out(out) {}
    bool Append(const std::string& line) override {
        return !out.full && (out.lines.push_back(line), true);
    }
    Lines& out;
};

TEST(RunLogTest, HiddenValuesNeverReachTheFile) {
    Lines out;
    RunLog log;
    log.Open(std::make_unique<MemoryLog>(out));
    log.Hide("mid-4711:code-abcdef");
    log.Hide("mid-4711");
    log.Hide("code-abcdef");
    log.Hide("42"); // too short to hunt for
    log.Write("jamp.exe +set cp_clanPwd mid-4711:code-abcdef; 42 bytes");
    log.Write("key code-abcdefcode-abcdef\nforged line");
    EXPECT_EQ(out.lines, (std::vector<std::string>{"jamp.exe +set cp_clanPwd ***; 42 bytes",
                                                   "key ****** forged line"}));
}

TEST(RunLogTest, AFileThatFailsIsGivenUpAndTheSizeIsBounded) {
    Lines out;
    RunLog log;
    log.Write("before the file");
    log.Open(std::make_unique<MemoryLog>(out));
    log.Write("one");
    out.full = true;
    log.Write("lost");
    out.full = false;
    log.Write("after the failure");
    EXPECT_EQ(out.lines, std::vector<std::string>{"one"});

    Lines big;
    log.Open(std::make_unique<MemoryLog>(big));
    const std::string line(1000, 'x');
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([&] {
            for (int i = 0; i < 1000; ++i)
                log.Write(line);
        });
    for (std::thread& writer : writers)
        writer.join();
    size_t bytes = 0;
    for (const std::string& l : big.lines)
        bytes += l.size() + 2;
    EXPECT_LE(bytes, RunLog::kMaxBytes);
    EXPECT_GT(bytes, RunLog::kMaxBytes - 2000);
    EXPECT_NE(big.lines.back(), line);
}

} // namespace
