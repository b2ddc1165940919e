#pragma once

#include "win/Internet.h"

#include <string>

// One GET of the launcher's own documents, with the redirects it may follow
// (net/HttpRedirect.h). https:// addresses go over TLS with the server's
// certificate checked by Windows; no certificate error is ever ignored, so a
// certificate Windows does not accept fails the request.
//
// WinINet is told not to follow redirects itself (INTERNET_FLAG_NO_AUTO_REDIRECT):
// on Windows it refuses one from HTTP to HTTPS by default
// (ERROR_INTERNET_HTTP_TO_HTTPS_ON_REDIR), which hosts that force HTTPS send
// to every http:// request, while Wine follows it silently, so the two would
// differ and no test here could show it. Following them here gives one
// behaviour on both, refuses HTTPS to HTTP and logs each redirect.
class HttpRequest {
public:
    // False when a call failed (the thread's last error tells why). True
    // once the server answered: Status() is the answer's status, a redirect
    // not followed (logged) included.
    bool Send(HINTERNET session, const std::string& url, DWORD stallTimeout);

    DWORD Status() const { return m_status; }
    HINTERNET Get() const { return m_request.Get(); }

private:
    bool SendOnce(HINTERNET session, const std::string& url, DWORD stallTimeout);

    // The request belongs to the connection and goes before it.
    win::ScopedInternet m_connection;
    win::ScopedInternet m_request;
    DWORD m_status = 0;
};
