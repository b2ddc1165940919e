#pragma once

#include <functional>

namespace win {

// Starts a detached thread at the given priority (THREAD_PRIORITY_*) that runs
// body; the thread owns body and what it captured until it ends. The thread
// object is not kept: nothing waits for it. An exception thrown by body is
// reported (ReportCaught) and ends the thread instead of the process. False
// when no thread could be started; body is then dropped without running.
bool StartThread(std::function<unsigned()> body, int priority);

} // namespace win
