#include "win/MessageBox.h"

namespace win {

namespace {

const std::string& DefaultTitleStorage() {
    static const std::string title = DefaultAppTitle();
    return title;
}

const char* g_title = nullptr;

} // namespace

std::string DefaultAppTitle() {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name(path, length < MAX_PATH ? length : 0);
    const size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

const char* AppTitle() {
    return g_title ? g_title : DefaultTitleStorage().c_str();
}

const char* SetAppTitle(const char* title) {
    const char* previous = AppTitle();
    g_title = title;
    return previous;
}

int ShowMessage(const char* text, UINT type) {
    return ::MessageBoxA(::GetActiveWindow(), text, AppTitle(), type);
}

int ShowMessage(UINT stringId, UINT type) {
    char text[512] = {};
    ::LoadStringA(::GetModuleHandleA(nullptr), stringId, text, sizeof text);
    return ShowMessage(text, type);
}

} // namespace win
