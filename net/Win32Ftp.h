#pragma once

#include "net/FtpConnection.h"

#include "win/Internet.h"

#include <string>

// Connects to the update FTP server over WinINet: passive mode, the
// community's account, a 10000 ms connect time-out, binary transfers. A
// control or data connection that stays silent for the stall time-out fails
// the call waiting on it; tests pass a short one.
class Win32FtpConnector : public IFtpConnector {
public:
    Win32FtpConnector(std::string host, unsigned short port,
                      DWORD stallTimeout = win::kStallTimeout);
    std::unique_ptr<IFtpConnection> Connect() override;

private:
    std::string m_host;
    unsigned short m_port;
    DWORD m_stallTimeout;
};
