#pragma once

#include "log/RunLog.h"

#include <memory>
#include <string>

// The log file of this run. The previous run's log is kept as oldPath (one
// older copy, so an admin still sees the run the player complained about
// after one more start, and nothing grows without bound); null when the new
// file cannot be created. Each line is written at once, with the local time
// in front, so a run that ends abruptly still leaves its log.
std::unique_ptr<ILogFile> OpenRunLogFile(const std::string& path, const std::string& oldPath);

// Opens this run's vemor.log in the game folder (keeping the last one as
// vemor.old.log) and writes what the launcher is (agent: its user agent,
// version and mode) and where it runs. Called once the launcher knows it is
// the only copy running, so that a second copy never pushes the running
// one's log aside.
void StartRunLog(const std::string& agent);

// The system's text for an error code, on one line; empty when it has none.
std::string ErrorCodeText(unsigned long code);

// The last error of the calling thread as a log reads it: "error 12029
// (text)", and for an FTP server's refusal also what the server answered.
// Call it on the thread whose call failed, before anything else.
std::string DescribeLastError();

// Milliseconds on a steady clock, for the time a request took.
unsigned long long LogClock();
