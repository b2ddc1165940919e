#pragma once

namespace win {

using ThreadProc = unsigned (*)(void* param);

// Starts a detached thread at the given priority (THREAD_PRIORITY_*). The
// thread object is not kept: nothing waits for it. Exceptions thrown by the
// procedure end the thread quietly instead of the process.
bool StartThread(ThreadProc proc, void* param, int priority);

} // namespace win
