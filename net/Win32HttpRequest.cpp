#include "net/Win32HttpRequest.h"

#include "log/RunLog.h"
#include "net/HttpRedirect.h"

#include <algorithm>

namespace {

// A server's Location goes into the log only this long.
constexpr size_t kLoggedLocation = 300;

std::string Location(HINTERNET request) {
    char location[2048] = {};
    DWORD length = sizeof location;
    if (!::HttpQueryInfoA(request, HTTP_QUERY_LOCATION, location, &length, nullptr))
        return std::string();
    return std::string(location, std::min<DWORD>(length, sizeof location - 1));
}

} // namespace

bool HttpRequest::Send(HINTERNET session, const std::string& url, DWORD stallTimeout) {
    std::string target = url;
    for (int redirects = 0;; ++redirects) {
        if (!SendOnce(session, target, stallTimeout))
            return false;
        if (!IsRedirectStatus(m_status))
            return true;
        const std::string location = Location(m_request.Get());
        std::string next;
        const RedirectDecision decision = DecideRedirect(target, location, next);
        std::string line =
            "GET " + target + ": HTTP " + std::to_string(m_status) + " to " +
            (next.empty() ? "\"" + location.substr(0, kLoggedLocation) + "\"" : next);
        if (decision == RedirectDecision::kFollow && redirects < kMaxRedirects) {
            LogLine(line + ", followed");
            target = next;
            continue;
        }
        if (decision == RedirectDecision::kRefusedDowngrade)
            line += ", not followed: it would leave HTTPS for plain HTTP";
        else if (decision == RedirectDecision::kRefusedTarget)
            line += ", not followed: no web address";
        else
            line += ", not followed: more than " + std::to_string(kMaxRedirects) + " redirects";
        LogLine(line);
        return true;
    }
}

bool HttpRequest::SendOnce(HINTERNET session, const std::string& url, DWORD stallTimeout) {
    m_request.Reset();
    m_connection.Reset();
    m_status = 0;
    char host[256] = {};
    char path[2048] = {};
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof path;
    if (!::InternetCrackUrlA(url.c_str(), 0, 0, &parts))
        return false;
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    if (!secure && parts.nScheme != INTERNET_SCHEME_HTTP) {
        ::SetLastError(ERROR_INTERNET_UNRECOGNIZED_SCHEME);
        return false;
    }
    // Connection and request are made one by one (not with one InternetOpenUrl)
    // so that each gets the stall time-out before anything waits on the server.
    m_connection.Reset(::InternetConnectA(session, host, parts.nPort, nullptr, nullptr,
                                          INTERNET_SERVICE_HTTP, 0, 1));
    if (!m_connection)
        return false;
    win::SetStallTimeout(m_connection.Get(), stallTimeout);
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_TRANSFER_ASCII |
                        INTERNET_FLAG_NO_AUTO_REDIRECT | (secure ? INTERNET_FLAG_SECURE : 0);
    m_request.Reset(::HttpOpenRequestA(m_connection.Get(), "GET", path[0] ? path : "/", nullptr,
                                       nullptr, nullptr, flags, 1));
    if (!m_request)
        return false;
    win::SetStallTimeout(m_request.Get(), stallTimeout);
    if (!::HttpSendRequestA(m_request.Get(), nullptr, 0, nullptr, 0))
        return false;
    DWORD length = sizeof m_status;
    return ::HttpQueryInfoA(m_request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER,
                            &m_status, &length, nullptr) != FALSE;
}
