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
    win::ScopedInternet session(win::OpenInternetSession(kConnectTimeout, m_stallTimeout));
    if (!session)
        return false;
    win::ScopedInternet request(
        ::InternetOpenUrlA(session.Get(), url.c_str(), nullptr, 0,
                           INTERNET_FLAG_RELOAD | INTERNET_FLAG_TRANSFER_ASCII, 1));
    if (!request || !AnsweredWithSuccess(request.Get()))
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
