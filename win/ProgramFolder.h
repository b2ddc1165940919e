#pragma once

namespace win {

// Makes the running program's own folder (the game folder, for the launcher
// and eu.exe) the current directory. A shortcut's "Start in", a console or an
// elevated start (often the system folder) may make anything the current
// one, and every path these programs use is relative to the game folder.
void EnterProgramFolder();

} // namespace win
