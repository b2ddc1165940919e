#pragma once

#include <string>

// Adds the launcher's own name (for example "vemor/1.1.0 (plain)") to the
// user agent with which the browser control asks for the portal's pages, for
// the whole process. The portal's sign-in log learns from it which launcher
// a player runs; without it every page request carries only Internet
// Explorer's name. Call before the control asks for anything; false when the
// system would not take it (the pages then go out as before).
bool AddToBrowserUserAgent(const std::string& token);
