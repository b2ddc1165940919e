#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace win {

// Owns one automation string.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(BSTR owned) : m_b(owned) {}
    ~Bstr() { ::SysFreeString(m_b); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR Get() const { return m_b; }
    BSTR* Receive() {
        ::SysFreeString(m_b);
        m_b = nullptr;
        return &m_b;
    }
    // Hands the string over (to a variant that frees it).
    BSTR Detach() {
        BSTR b = m_b;
        m_b = nullptr;
        return b;
    }

private:
    BSTR m_b = nullptr;
};

// 8-bit text in the thread's ANSI code page to an automation string; an
// empty text gives an empty string, never a null one (a page function tells
// the two apart). Null only when memory runs out.
BSTR AnsiToBstr(const std::string& text);
// The reverse, with the same code page; a null string gives empty text.
std::string BstrToAnsi(BSTR text);

} // namespace win
