#include "log/RunLog.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

struct Lines {
    std::vector<std::string> lines;
    bool full = false;
};

// A file that stamps every line, as the real one does.
constexpr size_t kOverhead = 15;

struct MemoryLog : ILogFile {
    explicit MemoryLog(Lines& out) : out(out) {}
    bool Append(const std::string& line) override {
        return !out.full && (out.lines.push_back(line), true);
    }
    size_t LineOverhead() const override { return kOverhead; }
    Lines& out;
};

// Hidden values go wherever they stand as words, and only there: starring a
// part of a longer number out would tell the value ("***0 bytes").
TEST(RunLogTest, HiddenValuesAreReplacedAsWholeWords) {
    const struct {
        const char* line;
        const char* logged;
    } cases[] = {
        {"jamp.exe +set cp_clanPwd 7000:code-abcdef; 42 bytes",
         "jamp.exe +set cp_clanPwd ***; 42 bytes"},
        {"7000 bytes, 70000 bytes, 17000 ms", "*** bytes, 70000 bytes, 17000 ms"},
        {"mid=7000,code=code-abcdef.\nforged", "mid=***,code=***. forged"},
    };
    for (const auto& c : cases) {
        Lines out;
        RunLog log;
        log.Open(std::make_unique<MemoryLog>(out));
        log.Hide("7000:code-abcdef");
        log.Hide("7000");
        log.Hide("code-abcdef");
        log.Hide("42"); // too short to hunt for
        log.Write(c.line);
        EXPECT_EQ(out.lines, std::vector<std::string>{c.logged});
    }
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
        bytes += l.size() + kOverhead;
    EXPECT_LE(bytes, RunLog::kMaxBytes);
    EXPECT_GT(bytes, RunLog::kMaxBytes - 2000);
    EXPECT_NE(big.lines.back(), line);
}

} // namespace
