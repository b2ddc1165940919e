#pragma once

#include "win/Owner.h"

#include <windows.h>

namespace win {

// A kernel handle (file, process, thread, mutex).
struct HandleTraits : NullIsEmpty<HANDLE> {
    // CreateFile reports failure as INVALID_HANDLE_VALUE, most others as null.
    static bool IsValid(HANDLE handle) {
        return handle != nullptr && handle != INVALID_HANDLE_VALUE;
    }
    static bool Release(HANDLE handle) { return ::CloseHandle(handle) != FALSE; }
};
using ScopedHandle = Owner<HandleTraits>;

// A module loaded with LoadLibrary.
struct ModuleTraits : NullIsEmpty<HMODULE> {
    static bool Release(HMODULE module) { return ::FreeLibrary(module) != FALSE; }
};
using ScopedModule = Owner<ModuleTraits>;

} // namespace win
