#pragma once

#include <windows.h>

#include <string>

namespace win {

// The caption of every message box the program shows. It starts as the
// program's default title (the executable's base name); the start-up code
// points it at its own title while the launch session runs.
const char* AppTitle();
// Returns the title that was in force, so the caller can put it back.
const char* SetAppTitle(const char* title);

// The executable's base name without its extension, e.g. "vemor".
std::string DefaultAppTitle();

// A message box owned by the active window of this thread, captioned with the
// current application title. Returns the button the player chose.
int ShowMessage(const char* text, UINT type);
// The same with the text taken from the string table.
int ShowMessage(UINT stringId, UINT type);

} // namespace win
