#pragma once

#include <string>

// A fresh folder under the temporary directory that is the current directory
// while the object lives, as the game folder is for the launcher; removed
// with everything in it afterwards.
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

// Whole-file helpers on paths relative to the current directory.
void WriteFileBytes(const std::string& path, const std::string& bytes);
// The file's bytes, or "<missing>" when it cannot be read.
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
// A variable set by the script that starts a test's servers; "" when the
// test is run plainly.
std::string TestSetting(const std::string& name);
// A Unix path of the build (as CMake knows it) in the form Wine gives it.
std::string WindowsPathOf(const std::string& unixPath);
