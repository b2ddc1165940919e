// The commands, one function each, and the table that runs them by name.

#pragma once

#include "Options.h"

#include <string>

namespace driver {

int cmdFind(const Options& options);
int cmdWindow(const Options& options);
int cmdControls(const Options& options);
int cmdControl(const Options& options);
int cmdWaitControl(const Options& options);
int cmdProgress(const Options& options);
int cmdNoWindow(const Options& options);
int cmdClick(const Options& options);
int cmdClose(const Options& options);
int cmdKey(const Options& options);
int cmdMsgbox(const Options& options);
int cmdAnswer(const Options& options);
int cmdWaitExit(const Options& options);
int cmdRunning(const Options& options);
int cmdHoldFile(const Options& options);
int cmdReleaseFile(const Options& options);
int cmdServe(const Options& options);

// Runs argv[1] with its options; output lines through printLine, the reason of
// a failure into errors.
int runCommand(int argc, char** argv, std::string& errors);

} // namespace driver
