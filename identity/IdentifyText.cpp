#include "identity/IdentifyText.h"

#include "text/Numbers.h"

#include <cstring>
#include <utility>

bool IsBlank(unsigned char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsPrintable(unsigned char c) {
    return c >= 0x20 && c <= 0x7e;
}

bool IsAlphanumeric(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

void IdentifyWordsToText(const IdentifyWords& words, int first, int last, char* out) {
    int length = 0;
    for (int index = first; index <= last; ++index) {
        out[length++] = static_cast<char>((words[index] >> 8) & 0xff);
        out[length++] = static_cast<char>(words[index] & 0xff);
    }
    out[length] = '\0';
    // Drives pad their fields with blanks; the first character always stays,
    // so a field of blanks becomes one blank rather than nothing.
    for (int position = length - 1; position > 0 && IsBlank(out[position]); --position)
        out[position] = '\0';
}

IdentifyWords IdentifyWordsFromBytes(const unsigned char* bytes) {
    IdentifyWords words;
    for (size_t i = 0; i < words.size(); ++i)
        words[i] = uint32_t(bytes[2 * i]) | uint32_t(bytes[2 * i + 1]) << 8;
    return words;
}

namespace {

const size_t kLongestText = kDescriptorTextSize - 1;

// Some drivers report the serial as hex digits of its characters. The decode
// counts only when every digit is one and every byte it makes is printable
// or zero. Fails as well when the text would not fit `out`.
bool DecodeHex(const unsigned char* source, size_t length, char* out) {
    size_t textLength = 0;
    bool ended = false;
    int high = -1;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = source[i];
        const int digit =
            IsBlank(c) ? 0 : HexDigitValue(static_cast<char>(c), HexLetters::kAnyCase);
        if (digit < 0)
            return false;
        if (high < 0) {
            high = digit;
            continue;
        }
        const unsigned char byte = static_cast<unsigned char>(high << 4 | digit);
        high = -1;
        if (byte != 0 && !IsPrintable(byte))
            return false;
        if (ended)
            continue;
        if (byte == 0) {
            ended = true;
            continue;
        }
        if (textLength == kLongestText)
            return false;
        out[textLength++] = static_cast<char>(byte);
    }
    out[textLength] = '\0';
    return true;
}

void SwapPairs(char* text) {
    // With an odd length the last character changes places with the NUL, so
    // the text loses its last character. Drivers that swap always hand over
    // an even field; an odd one is damaged either way.
    const size_t length = std::strlen(text);
    for (size_t i = 0; i < length; i += 2)
        std::swap(text[i], text[i + 1]);
}

void TrimBlanks(char* text) {
    const size_t length = std::strlen(text);
    size_t first = 0;
    while (first < length && IsBlank(text[first]))
        ++first;
    if (first == length)
        return; // empty, or nothing but blanks: left as it is
    size_t end = length;
    while (IsBlank(text[end - 1]))
        --end;
    std::memmove(text, text + first, end - first);
    text[end - first] = '\0';
}

} // namespace

void DecodeDescriptorText(const unsigned char* block, size_t blockSize, int32_t offset,
                          bool swapPairs, char* out) {
    out[0] = '\0';
    if (offset < 1 || static_cast<size_t>(offset) >= blockSize)
        return;
    const unsigned char* source = block + offset;
    const void* nul = std::memchr(source, 0, blockSize - offset);
    if (nul == nullptr)
        return;
    const size_t length = static_cast<const unsigned char*>(nul) - source;

    if (!DecodeHex(source, length, out)) {
        out[0] = '\0';
        if (length > kLongestText)
            return;
        for (size_t i = 0; i < length; ++i) {
            if (!IsPrintable(source[i]))
                return;
        }
        std::memcpy(out, source, length);
        out[length] = '\0';
    }
    if (swapPairs)
        SwapPairs(out);
    TrimBlanks(out);
}
