#include "text/Numbers.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

const char kLowerDigits[] = "0123456789abcdef";

} // namespace

bool ParseDecimal(std::string_view text, uint64_t max, uint64_t& value, LeadingZeros zeros) {
    if (text.empty() || (zeros == LeadingZeros::kRefused && text.size() > 1 && text[0] == '0'))
        return false;
    uint64_t number = 0;
    for (char c : text) {
        if (!IsDigit(c))
            return false;
        const auto digit = static_cast<uint64_t>(c - '0');
        if (digit > max || number > (max - digit) / 10)
            return false;
        number = number * 10 + digit;
    }
    value = number;
    return true;
}

uint64_t ReadDecimalDigits(std::string_view text, uint64_t ceiling) {
    uint64_t value = 0;
    for (size_t i = 0; i < text.size() && IsDigit(text[i]); ++i) {
        const auto digit = static_cast<uint64_t>(text[i] - '0');
        value = digit > ceiling || value > (ceiling - digit) / 10 ? ceiling : value * 10 + digit;
    }
    return value;
}

int HexDigitValue(char c, HexLetters letters) {
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (letters == HexLetters::kAnyCase && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

char UpperHexDigit(unsigned value) {
    return "0123456789ABCDEF"[value & 15];
}

std::string LowerHex(const uint8_t* bytes, size_t length) {
    std::string text;
    text.reserve(2 * length);
    for (size_t i = 0; i < length; ++i) {
        text += kLowerDigits[bytes[i] >> 4];
        text += kLowerDigits[bytes[i] & 15];
    }
    return text;
}

bool ParseLowerHex(std::string_view text, uint8_t* bytes, size_t length) {
    if (text.size() != 2 * length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        const int high = HexDigitValue(text[2 * i], HexLetters::kLowerOnly);
        const int low = HexDigitValue(text[2 * i + 1], HexLetters::kLowerOnly);
        if (high < 0 || low < 0)
            return false;
        bytes[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return true;
}
