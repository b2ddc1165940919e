#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// A remote file open for a binary read.
class IRemoteFile {
public:
    virtual ~IRemoteFile() = default;
    // Up to length bytes; 0 at the end of the transfer, -1 when it broke.
    virtual long long Read(void* buffer, size_t length) = 0;
};

// A logged-in connection to the update FTP server.
class IFtpConnection {
public:
    virtual ~IFtpConnection() = default;
    // Opens a file to read it from byte `from` on (a restart after a transfer
    // that broke off). A server that will not restart sends the file from its
    // first byte: `from` then says 0. Null when the file did not open.
    virtual std::unique_ptr<IRemoteFile> OpenRemoteFile(const std::string& name,
                                                        uint64_t& from) = 0;
    // Whether the connection itself has broken (no answer, closed, reset), so
    // that a file that did not open may open on a new one; a connection that
    // still works and opened nothing means the server refused the file.
    virtual bool IsBroken() = 0;
};

class IFtpConnector {
public:
    // Null when no connection or login came about.
    virtual std::unique_ptr<IFtpConnection> Connect() = 0;

protected:
    ~IFtpConnector() = default;
};
