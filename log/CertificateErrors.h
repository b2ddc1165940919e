#pragma once

// What a WinINet error of a secure connection means for an admin reading
// vemor.log, in words; null for other codes. The system's own texts name
// the check that failed, not what to do about it.
const char* SecureConnectionProblem(unsigned long code);
