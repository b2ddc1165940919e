#pragma once

#include "update/FtpConnection.h"

#include <string>

// Connects to the update FTP server over WinINet: passive mode, the
// community's account, a 10000 ms connect time-out, binary transfers.
class WinFtpConnector : public IFtpConnector {
public:
    WinFtpConnector(std::string host, unsigned short port);
    std::unique_ptr<IFtpConnection> Connect() override;

private:
    std::string m_host;
    unsigned short m_port;
};
