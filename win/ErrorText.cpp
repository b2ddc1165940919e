#include "win/ErrorText.h"

namespace win {

std::string SystemMessage(DWORD code, HMODULE module) {
    char* text = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                        (module ? FORMAT_MESSAGE_FROM_HMODULE : FORMAT_MESSAGE_FROM_SYSTEM);
    const DWORD length =
        ::FormatMessageA(flags, module, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result(text ? text : "", text ? length : 0);
    if (text)
        ::LocalFree(text);
    while (!result.empty() &&
           (result.back() == '\r' || result.back() == '\n' || result.back() == ' '))
        result.pop_back();
    return result;
}

} // namespace win
