#include "ui/LayeredApi.h"

#include "win/Handle.h"

namespace ui {

namespace {

using SetAttributesProc = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
using UpdateProc = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*,
                                 DWORD);

// GetProcAddress hands back a generic pointer; going through void(*)() keeps
// the cast to the real signature free of function-type warnings.
template <class Proc> Proc Lookup(HMODULE module, const char* name) {
    FARPROC proc = module ? ::GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(proc));
}

} // namespace

bool CallSetLayeredWindowAttributes(HWND hwnd, COLORREF key, BYTE alpha, DWORD flags) {
    win::ScopedModule user32(::LoadLibraryA("User32.DLL"));
    auto proc = Lookup<SetAttributesProc>(user32.Get(), "SetLayeredWindowAttributes");
    return proc && proc(hwnd, key, alpha, flags) != FALSE;
}

bool CallUpdateLayeredWindow(HWND hwnd, HDC screen, POINT* destination, SIZE* size, HDC source,
                             POINT* sourcePoint, COLORREF key, BLENDFUNCTION* blend, DWORD flags) {
    win::ScopedModule user32(::LoadLibraryA("User32.DLL"));
    auto proc = Lookup<UpdateProc>(user32.Get(), "UpdateLayeredWindow");
    return proc &&
           proc(hwnd, screen, destination, size, source, sourcePoint, key, blend, flags) != FALSE;
}

} // namespace ui
