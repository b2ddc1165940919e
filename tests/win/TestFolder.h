#pragma once

#include <string>

// A fresh temporary folder, the current directory while the object lives.
class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    std::string m_previous;
};

void WriteFileBytes(const std::string& path, const std::string& bytes);
// The file's bytes, or "<missing>" when it cannot be read.
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
// A variable set by the script that starts a test's servers; "" when the
// test is run plainly.
std::string TestSetting(const std::string& name);
// A Unix path of the build (as CMake knows it) in the form Wine gives it.
std::string WindowsPathOf(const std::string& unixPath);
