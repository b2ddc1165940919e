#include "selfupdate/LauncherLog.h"

#include "win/ErrorText.h"
#include "win/Handle.h"

#include <windows.h>

#include <cstdio>

void LauncherLog::Add(const std::string& line) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char stamp[16];
    std::snprintf(stamp, sizeof stamp, "%02u:%02u:%02u.%03u ", now.wHour, now.wMinute, now.wSecond,
                  now.wMilliseconds);
    m_pending += stamp + line + "\r\n";
    Flush();
}

bool LauncherLog::Flush() {
    if (m_pending.empty())
        return true;
    win::ScopedHandle file(::CreateFileA("vemor.log", FILE_APPEND_DATA,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file.IsValid() || !::WriteFile(file.Get(), m_pending.data(),
                                        static_cast<DWORD>(m_pending.size()), &written, nullptr))
        return false;
    m_pending.erase(0, written);
    return m_pending.empty();
}

std::string DescribeError(unsigned long code) {
    std::string system = win::SystemMessage(code);
    if (!system.empty() && system.back() == '.')
        system.pop_back();
    return "error " + std::to_string(code) + (system.empty() ? "" : " (" + system + ")");
}
