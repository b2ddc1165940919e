#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// A remote file open for a binary read.
class IRemoteFile {
public:
    virtual ~IRemoteFile() = default;
    // Up to length bytes; 0 at the end of the file, -1 when the transfer broke.
    virtual long long Read(void* buffer, size_t length) = 0;
};

// A logged-in connection to the update FTP server.
class IFtpConnection {
public:
    virtual ~IFtpConnection() = default;
    // The size the server lists for a file; false when it lists none.
    virtual bool GetRemoteSize(const std::string& name, uint64_t& size) = 0;
    // Null when the server will not send the file.
    virtual std::unique_ptr<IRemoteFile> OpenRemoteFile(const std::string& name) = 0;
};

class IFtpConnector {
public:
    // Null when no connection or login came about.
    virtual std::unique_ptr<IFtpConnection> Connect() = 0;

protected:
    ~IFtpConnector() = default;
};
