#pragma once

#include "win/Owner.h"

#include <windows.h>
#include <wininet.h>

#include <initializer_list>

namespace win {

// A WinINet handle (session, connection, URL, FTP file or find).
struct InternetTraits : NullIsEmpty<HINTERNET> {
    static bool Release(HINTERNET handle) { return ::InternetCloseHandle(handle) != FALSE; }
};
using ScopedInternet = Owner<InternetTraits>;

// How long a server may stay silent (no answer, no bytes of a transfer)
// before the call waiting for it fails. WinINet's own default is an hour,
// which keeps the player from playing for that long.
constexpr DWORD kStallTimeout = 20000;

// Sets the stall time-out for every receive and send of a handle, on the
// control and on the data connection alike (milliseconds). Windows hands the
// session's values down to its connections and requests; Wine takes them only
// on a connection or request handle, so they are set on each.
inline void SetStallTimeout(HINTERNET handle, DWORD stallTimeout) {
    for (DWORD option : {INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, INTERNET_OPTION_DATA_SEND_TIMEOUT})
        ::InternetSetOptionA(handle, option, &stallTimeout, sizeof stallTimeout);
}

// An internet session with the system's proxy settings, the given connect
// time-out and the stall time-out (milliseconds), sending agent as its user
// agent.
inline HINTERNET OpenInternetSession(DWORD connectTimeout, DWORD stallTimeout,
                                     const char* agent = "vemor") {
    HINTERNET session = ::InternetOpenA(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session)
        return nullptr;
    ::InternetSetOptionA(session, INTERNET_OPTION_CONNECT_TIMEOUT, &connectTimeout,
                         sizeof connectTimeout);
    SetStallTimeout(session, stallTimeout);
    return session;
}

} // namespace win
