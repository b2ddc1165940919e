#include "update/HttpFetch.h"

#include "win/Internet.h"

namespace {

constexpr DWORD kConnectTimeout = 3000;

// An error page is not the manifest or the server list: treating it as one
// would make a broken portal look like an empty list.
bool AnsweredWithSuccess(HINTERNET request) {
    DWORD status = 0;
    DWORD length = sizeof status;
    if (!::HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                          &length, nullptr))
        return false;
    return status == 200;
}

} // namespace

bool HttpFetch::Fetch(const std::string& url, std::string& text) {
    text.clear();
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
    win::ScopedInternet session(win::OpenInternetSession(kConnectTimeout, m_stallTimeout));
    if (!session)
        return false;
    // Connection and request are made one by one (not with one InternetOpenUrl)
    // so that each gets the stall time-out before anything waits on the server.
    win::ScopedInternet connection(::InternetConnectA(session.Get(), host, parts.nPort, nullptr,
                                                      nullptr, INTERNET_SERVICE_HTTP, 0, 1));
    if (!connection)
        return false;
    win::SetStallTimeout(connection.Get(), m_stallTimeout);
    win::ScopedInternet request(
        ::HttpOpenRequestA(connection.Get(), "GET", path[0] ? path : "/", nullptr, nullptr, nullptr,
                           INTERNET_FLAG_RELOAD | INTERNET_FLAG_TRANSFER_ASCII, 1));
    if (!request)
        return false;
    win::SetStallTimeout(request.Get(), m_stallTimeout);
    if (!::HttpSendRequestA(request.Get(), nullptr, 0, nullptr, 0) ||
        !AnsweredWithSuccess(request.Get()))
        return false;
    return ReadPortalText(
        [&](char* buffer, size_t size) -> long long {
            DWORD got = 0;
            if (!::InternetReadFile(request.Get(), buffer, static_cast<DWORD>(size), &got))
                return -1;
            return got;
        },
        text);
}
