#pragma once

#include <string>

namespace win {

// Creates or truncates the file and writes bytes whole, flushed to the disk;
// false when any part of that failed (the file may then hold part of them).
// Used for the temporary copies that replace a player's file only when complete.
bool WriteWholeFile(const std::string& path, const std::string& bytes);

} // namespace win
