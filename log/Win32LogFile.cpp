#include "log/Win32LogFile.h"

#include "BuildConfig.h"
#include "log/CertificateErrors.h"
#include "win/ErrorText.h"
#include "win/Handle.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>

namespace {

class Win32LogFile : public ILogFile {
public:
    explicit Win32LogFile(HANDLE file) : m_file(file) {}

    bool Append(const std::string& line) override {
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        char stamp[16];
        std::snprintf(stamp, sizeof stamp, "%02u:%02u:%02u.%03u ", now.wHour, now.wMinute,
                      now.wSecond, now.wMilliseconds);
        const std::string text = stamp + line + "\r\n";
        DWORD written = 0;
        return ::WriteFile(m_file.Get(), text.data(), static_cast<DWORD>(text.size()), &written,
                           nullptr) &&
               written == text.size();
    }

    size_t LineOverhead() const override { return kStampBytes + 2; }

private:
    // "hh:mm:ss.mmm " before every line.
    static constexpr size_t kStampBytes = 13;

    win::ScopedHandle m_file;
};

} // namespace

std::unique_ptr<ILogFile> OpenRunLogFile(const std::string& path, const std::string& oldPath) {
    // Without an old log there is nothing to keep; any other failure only
    // costs the older copy.
    ::MoveFileExA(path.c_str(), oldPath.c_str(), MOVEFILE_REPLACE_EXISTING);
    // Readable (and removable) while the launcher runs, so an admin can look
    // at it during a long download.
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<Win32LogFile>(file);
}

void StartRunLog(const std::string& agent) {
    TheLog().Open(OpenRunLogFile("vemor.log", "vemor.old.log"));
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char date[32];
    std::snprintf(date, sizeof date, "%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
    LogLine("Vemor Academy launcher " + agent + ", " + date + "; portal " +
            build_config::kPortalHost + ", update server " + build_config::kFtpHost + ":" +
            std::to_string(build_config::kFtpPort));
    char folder[MAX_PATH + 1] = {};
    const DWORD length = ::GetCurrentDirectoryA(sizeof folder, folder);
    LogLine("game folder " + (length > 0 && length < sizeof folder ? std::string(folder, length)
                                                                   : std::string("(unknown)")));
}

std::string DescribeLastError() {
    const DWORD code = ::GetLastError();
    std::string text = "error " + std::to_string(code);
    const std::string system = ErrorCodeText(code);
    if (!system.empty())
        text += " (" + system + ")";
    if (const char* problem = SecureConnectionProblem(code))
        text += ": " + std::string(problem);
    if (code == ERROR_INTERNET_EXTENDED_ERROR) {
        char reply[512] = {};
        DWORD replyCode = 0;
        DWORD length = sizeof reply;
        if (::InternetGetLastResponseInfoA(&replyCode, reply, &length) && length > 0)
            text += ", the server answered: " +
                    std::string(reply, std::min<DWORD>(length, sizeof reply - 1));
    }
    return text;
}

unsigned long long LogClock() {
    return ::GetTickCount64();
}

std::string ErrorCodeText(unsigned long code) {
    // WinINet's own codes are described by its module, not by the system's table.
    HMODULE wininet = code >= 12000 && code < 12200 ? ::GetModuleHandleA("wininet.dll") : nullptr;
    std::string result = win::SystemMessage(code, wininet);
    if (!result.empty() && result.back() == '.')
        result.pop_back();
    return result;
}
