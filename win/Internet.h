#pragma once

#include <windows.h>
#include <wininet.h>

namespace win {

// Owns a WinINet handle (session, connection, URL, FTP file or find) and
// closes it once.
class ScopedInternet {
public:
    explicit ScopedInternet(HINTERNET handle = nullptr) : m_handle(handle) {}
    ~ScopedInternet() {
        if (m_handle)
            ::InternetCloseHandle(m_handle);
    }
    ScopedInternet(const ScopedInternet&) = delete;
    ScopedInternet& operator=(const ScopedInternet&) = delete;

    HINTERNET Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    HINTERNET m_handle;
};

// An internet session with the system's proxy settings and the given connect
// time-out in milliseconds.
inline HINTERNET OpenInternetSession(DWORD connectTimeout) {
    HINTERNET session = ::InternetOpenA("vemor", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (session)
        ::InternetSetOptionA(session, INTERNET_OPTION_CONNECT_TIMEOUT, &connectTimeout,
                             sizeof connectTimeout);
    return session;
}

} // namespace win
