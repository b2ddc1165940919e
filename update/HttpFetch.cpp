#include "update/HttpFetch.h"

#include "update/RunLog.h"
#include "update/Win32HttpRequest.h"
#include "update/Win32LogFile.h"
#include "win/Internet.h"

namespace {

constexpr DWORD kConnectTimeout = 3000;

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
                std::to_string(LogClock() - m_started) + " ms");
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
    void Received(size_t bytes) { m_bytes += bytes; }

private:
    std::string m_url;
    unsigned long long m_started;
    std::string m_result = "no answer";
    size_t m_bytes = 0;
};

} // namespace

bool HttpFetch::FetchDocument(const std::string& url, size_t limit, std::string& text) {
    text.clear();
    RequestLine log(url);
    win::ScopedInternet session(win::OpenInternetSession(kConnectTimeout, m_stallTimeout));
    if (!session)
        return log.Failed();
    HttpRequest request;
    if (!request.Send(session.Get(), url, m_stallTimeout))
        return log.Failed();
    DWORD status = 0;
    const bool success = AnsweredWithSuccess(request.Get(), status);
    if (!log.Answered(status, success))
        return false;
    return ReadPortalText(
        [&](char* buffer, size_t size) -> long long {
            DWORD got = 0;
            if (!::InternetReadFile(request.Get(), buffer, static_cast<DWORD>(size), &got)) {
                log.ReadFailed();
                return -1;
            }
            log.Received(got);
            return got;
        },
        text, limit);
}
