#include "net/Win32HttpFetch.h"

#include "BuildConfig.h"
#include "log/RunLog.h"
#include "log/Win32LogFile.h"
#include "net/Win32HttpRequest.h"
#include "win/Internet.h"

#include <algorithm>

namespace {

constexpr DWORD kConnectTimeout = 3000;
// What the log keeps of an error page: the kit puts its reason on the first line.
constexpr size_t kReasonBytes = 200;

// An error page is not the manifest or the server list: treating it as one
// would make a broken portal look like an empty list.
bool AnsweredWithSuccess(HINTERNET request, DWORD& status) {
    DWORD length = sizeof status;
    if (!::HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                          &length, nullptr))
        return false;
    return status == 200;
}

// One line of the log per request: what was asked, what came back, how long
// it took.
class RequestLine {
public:
    explicit RequestLine(const std::string& url) : m_url(url), m_started(LogClock()) {}
    ~RequestLine() {
        LogLine("GET " + m_url + ": " + m_result + ", " + std::to_string(m_bytes) + " bytes, " +
                std::to_string(LogClock() - m_started) + " ms" + m_reason);
    }
    RequestLine(const RequestLine&) = delete;
    RequestLine& operator=(const RequestLine&) = delete;

    // Notes the thread's last error; false, for the caller to return.
    bool Failed() {
        m_result = DescribeLastError();
        return false;
    }
    bool Answered(DWORD status, bool ok) {
        m_result = "HTTP " + std::to_string(status);
        return ok;
    }
    void ReadFailed() { m_result += ", then " + DescribeLastError(); }
    void TookTooLong(DWORD deadline) {
        m_result += ", then no whole answer within " + std::to_string(deadline / 1000) + " s";
    }
    void Received(size_t bytes) { m_bytes += bytes; }
    // The first line of an error page (the log blanks its control characters).
    void Reason(const std::string& body) {
        const std::string line = body.substr(0, std::min(body.find_first_of("\r\n"), kReasonBytes));
        if (!line.empty())
            m_reason = "; the server says: " + line;
    }

private:
    std::string m_url;
    unsigned long long m_started;
    std::string m_result = "no answer";
    std::string m_reason;
    size_t m_bytes = 0;
};

} // namespace

std::string LauncherUserAgent(UpdateMode mode) {
    return std::string("vemor/") + build_config::kVersion +
           (mode == UpdateMode::kSigned ? " (signed)" : " (plain)");
}

bool HttpFetch::FetchDocument(const std::string& url, size_t limit, std::string& text) {
    text.clear();
    RequestLine log(url);
    win::ScopedInternet session(
        win::OpenInternetSession(kConnectTimeout, m_stallTimeout, m_agent.c_str()));
    if (!session)
        return log.Failed();
    // The deadline covers the whole request, redirects included.
    const unsigned long long deadline = LogClock() + m_deadline;
    HttpRequest request;
    if (!request.Send(session.Get(), url, m_stallTimeout))
        return log.Failed();
    // A read waits until the buffer is full, so each one asks only for what
    // has arrived: the deadline is then looked at between the arrivals of a
    // trickle, not after the whole megabyte.
    const auto read = [&](char* buffer, size_t size) -> long long {
        if (LogClock() > deadline) {
            log.TookTooLong(m_deadline);
            return -1;
        }
        DWORD available = 0;
        DWORD got = 0;
        if (!::InternetQueryDataAvailable(request.Get(), &available, 0, 0) ||
            (available > 0 &&
             !::InternetReadFile(request.Get(), buffer,
                                 static_cast<DWORD>(std::min<size_t>(available, size)), &got))) {
            log.ReadFailed();
            return -1;
        }
        log.Received(got);
        return got;
    };
    DWORD status = 0;
    const bool success = AnsweredWithSuccess(request.Get(), status);
    if (!log.Answered(status, success)) {
        std::string body;
        if (ReadPortalText(read, body, kReasonBytes))
            log.Reason(body);
        return false;
    }
    return ReadPortalText(read, text, limit);
}
