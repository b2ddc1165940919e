#pragma once

namespace win {

using ThreadProc = unsigned (*)(void* param);

// Starts a detached thread at the given priority (THREAD_PRIORITY_*). The
// thread object is not kept: nothing waits for it. An exception thrown by the
// procedure is reported (ReportCaught) and ends the thread instead of the
// process.
bool StartThread(ThreadProc proc, void* param, int priority);

} // namespace win
