#pragma once

#include "identity/AccountRecord.h"

// The account of this installation, as start-up builds it: probes this
// machine's drives for the serial the identifier and the key come from (the
// slow part of start-up under Wine), then reads "cookie.dat" of the current
// directory, which is the game folder by then. Saving pads the values with
// bytes of the system's random source.
AccountRecord ProbeDriveAndReadAccount();
