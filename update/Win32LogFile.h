#pragma once

#include "update/RunLog.h"

#include <memory>
#include <string>

// The log file of this run. The previous run's log is kept as oldPath (one
// older copy, so an admin still sees the run the player complained about
// after one more start, and nothing grows without bound); null when the new
// file cannot be created. Each line is written at once, with the local time
// in front, so a run that ends abruptly still leaves its log.
std::unique_ptr<ILogFile> OpenRunLogFile(const std::string& path, const std::string& oldPath);

// The system's text for an error code, on one line; empty when it has none.
std::string SystemErrorText(unsigned long code);
