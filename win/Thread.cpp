#include "win/Thread.h"

#include "win/Caught.h"
#include "win/Handle.h"

#include <process.h>

#include <memory>

namespace win {

namespace {

using Body = std::function<unsigned()>;

unsigned __stdcall ThreadEntry(void* raw) {
    const std::unique_ptr<Body> body(static_cast<Body*>(raw));
    try {
        return (*body)();
    } catch (...) {
        ReportCaught("a thread");
        return 1;
    }
}

} // namespace

bool StartThread(std::function<unsigned()> body, int priority) {
    // _beginthreadex hands one pointer over: the body travels on the heap
    // and is the new thread's from the moment the thread exists.
    auto start = std::make_unique<Body>(std::move(body));
    // Created suspended so the priority is in force before the first instruction.
    const uintptr_t raw =
        _beginthreadex(nullptr, 0, &ThreadEntry, start.get(), CREATE_SUSPENDED, nullptr);
    if (raw == 0)
        return false;
    start.release();
    ScopedHandle thread(reinterpret_cast<HANDLE>(raw));
    ::SetThreadPriority(thread.Get(), priority);
    ::ResumeThread(thread.Get());
    return true;
}

} // namespace win
