#include "win/Bstr.h"

#include <windows.h>

namespace win {

BSTR AnsiToBstr(const std::string& text) {
    const int length = static_cast<int>(text.size());
    const int wide =
        length ? ::MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), length, nullptr, 0) : 0;
    BSTR b = ::SysAllocStringLen(nullptr, static_cast<UINT>(wide));
    if (b && wide)
        ::MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), length, b, wide);
    return b;
}

std::string BstrToAnsi(BSTR text) {
    const int length = static_cast<int>(::SysStringLen(text));
    if (length == 0)
        return std::string();
    const int bytes =
        ::WideCharToMultiByte(CP_THREAD_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(bytes), '\0');
    if (bytes)
        ::WideCharToMultiByte(CP_THREAD_ACP, 0, text, length, &result[0], bytes, nullptr, nullptr);
    return result;
}

} // namespace win
