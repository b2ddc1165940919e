#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Where the log's lines go: the file vemor.log in the Win32 shell.
class ILogFile {
public:
    virtual ~ILogFile() = default;
    // One line without its line end; false when it could not be stored.
    virtual bool Append(const std::string& line) = 0;
    // What the file adds to every line (its time stamp and line end), in
    // bytes: the size bound counts what really lands on the disk.
    virtual size_t LineOverhead() const = 0;
};

// The run's log for admins: what the launcher did and what the servers
// answered. Any thread may write to it. Writing never fails as far as the
// caller can tell: a file that cannot be written is given up, and the
// launcher goes on exactly as without a log.
//
// The access values, the clan password and the machine key never reach the
// file. The code that writes lines keeps them out; as a second net, every
// value given to Hide is replaced by "***" wherever it stands as a whole word
// (no letter or digit right before or after it): starring out part of a
// longer number would give the value away ("***0 bytes" of a known 70000).
// Values shorter than kShortestHidden are left to the first net alone: a
// two-digit access mid would otherwise star out every time and byte count.
class RunLog {
public:
    static constexpr size_t kShortestHidden = 4;
    // One run's log stays readable and bounded whatever goes wrong in it:
    // the file, line ends and time stamps included, and the closing line
    // that says so, never passes this.
    static constexpr size_t kMaxBytes = 1u << 20;

    void Open(std::unique_ptr<ILogFile> file);
    void Hide(const std::string& secret);
    void Write(const std::string& line);

private:
    std::mutex m_lock;
    std::unique_ptr<ILogFile> m_file;
    std::vector<std::string> m_hidden;
    size_t m_written = 0;
};

// The launcher's one log. It is never destroyed, so a worker thread that
// still writes while the process ends finds it intact.
RunLog& TheLog();

inline void LogLine(const std::string& line) {
    TheLog().Write(line);
}

// Called inside a catch block: logs the exception being handled (its text,
// when it is a standard one) and where it was caught.
void LogCaughtException(const char* where);
