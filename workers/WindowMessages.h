#pragma once

#include "update/IUpdateListener.h"

#include <windows.h>

// Every message the workers post to the launcher window (MainDialog), with its
// payload: the one contract between the worker threads and the window. The
// update thread's reports arrive through its relay (Win32UpdateRelay.h); the
// server-list thread posts nothing. The window does the window work on its
// own thread when a message arrives, never from the poster's.
namespace window_messages {

// wParam: the download's whole percentage, 0 to 100; the window sets the bar.
constexpr UINT kProgressMessage = WM_USER + 1;
// No payload: the window shows the update's latest status text, which it reads
// back through ILauncherSession::UpdateStatus (a posted pointer could outlive
// its text).
constexpr UINT kStatusMessage = WM_USER + 2;
// No payload: closes the window and its frame without a launch. Nothing in the
// launcher posts it today.
constexpr UINT kCloseMessage = WM_USER + 3;
// wParam: the run's UpdateEnd, exactly once, the update's last report; the
// window enables "Launch!", or closes for the self-update once the portal page
// has loaded. Out of the WM_USER range the window's own messages use.
constexpr UINT kEndedMessage = WM_APP + 1;

} // namespace window_messages
