#include "log/RunLog.h"

#include <exception>

namespace {

bool IsWordCharacter(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

void ReplaceWholeWords(std::string& text, const std::string& what, const char* with) {
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at)) {
        const size_t end = at + what.size();
        if ((at > 0 && IsWordCharacter(text[at - 1])) ||
            (end < text.size() && IsWordCharacter(text[end]))) {
            ++at;
            continue;
        }
        text.replace(at, what.size(), with);
    }
}

const std::string kLimitReached = "(the log ends here: it reached its size limit)";

// Line breaks and other control characters from a server's text would let
// one entry pose as several.
void Flatten(std::string& text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    }
}

} // namespace

void RunLog::Open(std::unique_ptr<ILogFile> file) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_file = std::move(file);
    m_written = 0;
}

void RunLog::Hide(const std::string& secret) {
    if (secret.size() < kShortestHidden)
        return;
    std::lock_guard<std::mutex> lock(m_lock);
    // The longest first, so that a password made of two hidden values
    // disappears whole.
    auto at = m_hidden.begin();
    while (at != m_hidden.end() && at->size() >= secret.size())
        ++at;
    m_hidden.insert(at, secret);
}

void RunLog::Write(const std::string& line) {
    try {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_file)
            return;
        std::string text = line;
        Flatten(text);
        for (const std::string& secret : m_hidden)
            ReplaceWholeWords(text, secret, "***");
        // Room is always kept for the closing line.
        const size_t overhead = m_file->LineOverhead();
        const bool last =
            m_written + text.size() + overhead + kLimitReached.size() + overhead > kMaxBytes;
        if (last)
            text = kLimitReached;
        m_written += text.size() + overhead;
        if (!m_file->Append(text) || last)
            m_file.reset();
    } catch (...) {
        // Out of memory while building a line: the line is lost, the run goes on.
    }
}

RunLog& TheLog() {
    static RunLog* const log = new RunLog;
    return *log;
}

void LogCaughtException(const char* where) {
    try {
        std::string what = "an exception of unknown type";
        try {
            throw;
        } catch (const std::exception& e) {
            what = e.what();
        } catch (...) {
        }
        LogLine(std::string("internal error in ") + where + ": " + what);
    } catch (...) {
        // Out of memory while building the line: it is lost, nothing else.
    }
}
