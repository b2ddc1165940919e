#include "update/WinFtp.h"

#include "win/Internet.h"

namespace {

constexpr DWORD kConnectTimeout = 10000;
constexpr char kUser[] = "kel";
constexpr char kPassword[] = "tQwa3mxp";

class WinRemoteFile : public IRemoteFile {
public:
    explicit WinRemoteFile(HINTERNET file) : m_file(file) {}

    long long Read(void* buffer, size_t length) override {
        DWORD got = 0;
        if (!::InternetReadFile(m_file.Get(), buffer, static_cast<DWORD>(length), &got))
            return -1;
        return got;
    }

private:
    win::ScopedInternet m_file;
};

class WinFtpConnection : public IFtpConnection {
public:
    WinFtpConnection(HINTERNET session, HINTERNET connection)
        : m_session(session), m_connection(connection) {}

    bool GetRemoteSize(const std::string& name, uint64_t& size) override {
        WIN32_FIND_DATAA found = {};
        win::ScopedInternet find(
            ::FtpFindFirstFileA(m_connection.Get(), name.c_str(), &found, INTERNET_FLAG_RELOAD, 1));
        if (!find)
            return false;
        size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        return true;
    }

    std::unique_ptr<IRemoteFile> OpenRemoteFile(const std::string& name) override {
        HINTERNET file = ::FtpOpenFileA(m_connection.Get(), name.c_str(), GENERIC_READ,
                                        FTP_TRANSFER_TYPE_BINARY, 1);
        if (!file)
            return nullptr;
        return std::make_unique<WinRemoteFile>(file);
    }

private:
    // Declared first, closed last.
    win::ScopedInternet m_session;
    win::ScopedInternet m_connection;
};

} // namespace

WinFtpConnector::WinFtpConnector(std::string host, unsigned short port, DWORD stallTimeout)
    : m_host(std::move(host)), m_port(port), m_stallTimeout(stallTimeout) {}

std::unique_ptr<IFtpConnection> WinFtpConnector::Connect() {
    HINTERNET session = win::OpenInternetSession(kConnectTimeout, m_stallTimeout);
    if (!session)
        return nullptr;
    HINTERNET connection = ::InternetConnectA(session, m_host.c_str(), m_port, kUser, kPassword,
                                              INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 1);
    if (!connection) {
        ::InternetCloseHandle(session);
        return nullptr;
    }
    return std::make_unique<WinFtpConnection>(session, connection);
}
