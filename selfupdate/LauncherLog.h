#pragma once

#include <string>

// eu.exe's lines in the launcher's log, vemor.log, written as the launcher
// writes its own: the local time in front, CR LF after. The launcher keeps
// the file open without sharing writes until it has ended, so a line waits
// here until the file can be opened. The next launcher moves the file to
// vemor.old.log when it starts, so every line is written before it is
// started.
class LauncherLog {
public:
    // Adds the line and writes what waits, when the file can be opened.
    void Add(const std::string& line);
    // False when lines still wait.
    bool Flush();

private:
    std::string m_pending;
};

// The system's text for an error code as the log shows it: "error 5 (Access
// is denied)".
std::string DescribeError(unsigned long code);
