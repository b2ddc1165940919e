#pragma once

#include "win/Handle.h"

// Opens the launcher that started this program into launcher, to wait on;
// false (launcher empty) when this program was not started by a launcher or
// that launcher has already ended.
//
// eu.exe's command line is empty, so the launcher is found as its parent
// process in a process snapshot: by image name, and started before this
// program, since a process id is given out again once its process has ended.
bool OpenStartingLauncher(win::ScopedHandle& launcher);
