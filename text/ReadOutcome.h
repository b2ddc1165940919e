#pragma once

// How reading a file from its start ended. Portable, so that the stored
// account can be given a file without knowing how the platform reads one.
enum class ReadOutcome {
    kMissing, // the file does not open
    kFailed,  // a read failed; the bytes that arrived before it are kept
    kRead,    // read up to the limit or to the end of the file
};
