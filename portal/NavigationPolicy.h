#pragma once

#include <string>

// Where a navigation of the portal view goes.
enum class NavigationDecision {
    kStayInView,     // the browser control follows it
    kOpenExternally, // cancelled in the view, handed to the user's browser or mail program
    kRefuse,         // cancelled in the view, nothing is started
};

// The view's navigation policy for its top-level page. Before the first page
// has loaded (linkPolicy false) everything stays in the view. After it, only
// local addresses (host exactly "localhost" over http, "res://") and
// addresses carrying a '#' stay; every other target leaves the view, and only a target that is safe
// to open in the user's browser or mail program is handed to the system.
NavigationDecision DecideNavigation(const std::string& url, bool linkPolicy);

// A page's request for a new window (a target="_blank" link, window.open).
// The view never opens a window of its own: a target that is safe to open
// goes to the user's browser, anything else, and a request whose target the
// browser does not say (url null), is refused.
NavigationDecision DecideNewWindow(const std::string* url);

// True for targets that the system may open with the verb "open": an http,
// https or mailto address, or about:blank, with no character that could
// break out of the address on the command line of the program that opens it.
// The launcher runs with administrator rights, so file paths, UNC paths,
// file: addresses and other protocol handlers must never get this far.
bool IsSafeExternalTarget(const std::string& url);
