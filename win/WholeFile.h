#pragma once

#include "text/ReadOutcome.h"

#include <cstddef>
#include <string>

namespace win {

// Reads the file from its start into bytes, at most limit bytes and at most
// chunk bytes a call; when a call fails part-way, bytes keeps what the calls
// before it delivered. Others may go on reading and writing the file
// meanwhile (the game may hold its configuration open).
ReadOutcome ReadWholeFile(const std::string& path, std::string& bytes,
                          size_t limit = static_cast<size_t>(-1), size_t chunk = 16384);

// Creates or truncates the file and writes bytes whole, flushed to the disk;
// false when any part of that failed (the file may then hold part of them).
// Used for the temporary copies that replace a player's file only when complete.
bool WriteWholeFile(const std::string& path, const std::string& bytes);

// Puts the complete, flushed file `from` in place of `to` with one replacing,
// written-through move, so that at every instant the old or the new file
// exists whole (a delete followed by a move has a moment with neither). When
// the move fails (the target is locked, say) `from` is removed and `to` stays
// exactly as it was.
bool MoveIntoPlace(const std::string& from, const std::string& to);

// Writes bytes whole to `temporary`, then moves it in place of `target`;
// false, with `target` unchanged and no temporary left, when either failed.
bool ReplaceWholeFile(const std::string& target, const std::string& temporary,
                      const std::string& bytes);

} // namespace win
