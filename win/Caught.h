#pragma once

namespace win {

// What becomes of an exception that a window procedure or a thread's entry
// caught so that it never unwinds through the system's code. Quietly
// swallowed, it would leave a window waiting for ever with nobody knowing
// why; the program sets a reporter once at start-up (its log), before any
// window or thread exists.
using CaughtReporter = void (*)(const char* where);
void SetCaughtReporter(CaughtReporter reporter);

// Called inside the catch block, so that the reporter can look at the
// exception itself.
void ReportCaught(const char* where);

} // namespace win
