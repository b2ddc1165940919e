#include "win/Thread.h"

#include "win/Caught.h"
#include "win/Handle.h"

#include <process.h>

namespace win {

namespace {

struct ThreadStart {
    ThreadProc proc;
    void* param;
};

unsigned __stdcall ThreadEntry(void* raw) {
    const ThreadStart start = *static_cast<ThreadStart*>(raw);
    delete static_cast<ThreadStart*>(raw);
    try {
        return start.proc(start.param);
    } catch (...) {
        ReportCaught("a thread");
        return 1;
    }
}

} // namespace

bool StartThread(ThreadProc proc, void* param, int priority) {
    auto* start = new ThreadStart{proc, param};
    // Created suspended so the priority is in force before the first instruction.
    const uintptr_t raw =
        _beginthreadex(nullptr, 0, &ThreadEntry, start, CREATE_SUSPENDED, nullptr);
    if (raw == 0) {
        delete start;
        return false;
    }
    ScopedHandle thread(reinterpret_cast<HANDLE>(raw));
    ::SetThreadPriority(thread.Get(), priority);
    ::ResumeThread(thread.Get());
    return true;
}

} // namespace win
