#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Whether a number may carry zeros in front ("007"). Texts that only the
// launcher or the community's kit write have one spelling for each value, so
// a different spelling means the text came from somewhere else.
enum class LeadingZeros { kRefused, kAllowed };

// A decimal number that is the whole text: at least one digit, no sign, no
// blank, at most max. value is set only when the text is one.
bool ParseDecimal(std::string_view text, uint64_t max, uint64_t& value,
                  LeadingZeros zeros = LeadingZeros::kRefused);

// The number that the digits at the start of text make, up to the first
// other character, as the C library's number readers take them: 0 without
// digits, and ceiling when the digits say more, so that a caller can tell
// "too large" from the largest value it takes by passing one more than that.
uint64_t ReadDecimalDigits(std::string_view text, uint64_t ceiling);

// Which letters count as hexadecimal digits: the launcher's own hex texts
// (digests, keys) are written in lower case only.
enum class HexLetters { kLowerOnly, kAnyCase };

// The value of one hexadecimal digit, -1 for any other character.
int HexDigitValue(char c, HexLetters letters);

// The digit of a value below 16, for percent escapes.
char UpperHexDigit(unsigned value);

// Two lower-case digits a byte, the high half first.
std::string LowerHex(const uint8_t* bytes, size_t length);

// The text of LowerHex back into length bytes: exactly 2 * length lower-case
// digits, else false (upper case too: one spelling per value; bytes may then
// hold part of them).
bool ParseLowerHex(std::string_view text, uint8_t* bytes, size_t length);
