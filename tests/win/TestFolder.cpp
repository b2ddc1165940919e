#include "TestFolder.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((path + "\\*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(search, &found)) {
        const std::string name = found.cFileName, child = path + "\\" + name;
        if (name == "." || name == "..")
            continue;
        ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(child);
        else
            ::DeleteFileA(child.c_str());
    }
    if (search != INVALID_HANDLE_VALUE)
        ::FindClose(search);
    ::RemoveDirectoryA(path.c_str());
}

} // namespace

TestFolder::TestFolder() {
    char temp[MAX_PATH], previous[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    static int counter = 0;
    m_path = std::string(temp) + "vemor-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
             std::to_string(++counter);
    m_previous = previous;
    RemoveTree(m_path);
    if (!::CreateDirectoryA(m_path.c_str(), nullptr) ||
        !::CreateDirectoryA((m_path + "\\japlus").c_str(), nullptr))
        throw std::runtime_error("cannot create " + m_path);
    ::SetCurrentDirectoryA(m_path.c_str());
}

TestFolder::~TestFolder() {
    ::SetCurrentDirectoryA(m_previous.c_str());
    RemoveTree(m_path);
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        throw std::runtime_error("cannot write " + path);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    if (!file)
        return "<missing>";
    bytes << file.rdbuf();
    return bytes.str();
}

bool FileExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string TestSetting(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value ? value : "";
}

std::string WindowsPathOf(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}
