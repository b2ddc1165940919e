#pragma once

#include <windows.h>

namespace win {

// Owns a kernel handle (file, process, thread, mutex) and closes it once.
class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE handle) : m_handle(handle) {}
    ~ScopedHandle() { Reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    HANDLE Get() const { return m_handle; }
    // CreateFile reports failure as INVALID_HANDLE_VALUE, most others as null.
    bool IsValid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }

    void Reset(HANDLE handle = nullptr) {
        if (IsValid())
            ::CloseHandle(m_handle);
        m_handle = handle;
    }

    // Closes the handle and tells whether the system accepted the close; a file
    // written through it may report a late write error only here.
    bool Close() {
        const bool ok = IsValid() && ::CloseHandle(m_handle) != FALSE;
        m_handle = nullptr;
        return ok;
    }

private:
    HANDLE m_handle = nullptr;
};

// Owns a module loaded with LoadLibrary.
class ScopedModule {
public:
    explicit ScopedModule(HMODULE module) : m_module(module) {}
    ~ScopedModule() {
        if (m_module)
            ::FreeLibrary(m_module);
    }
    ScopedModule(const ScopedModule&) = delete;
    ScopedModule& operator=(const ScopedModule&) = delete;

    HMODULE Get() const { return m_module; }

private:
    HMODULE m_module;
};

} // namespace win
