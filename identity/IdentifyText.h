#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The texts a drive reports about itself: the serial and model fields of its
// ATA IDENTIFY DEVICE block, and the strings of a storage device descriptor.

// One 16-bit word of the 512-byte IDENTIFY block per entry, zero-extended.
using IdentifyWords = std::array<uint32_t, 256>;

// Word positions of the two fields in the IDENTIFY block.
const int kSerialFirstWord = 10;
const int kSerialLastWord = 19;
const int kModelFirstWord = 27;
const int kModelLastWord = 46;

// Size of the text buffer of a decoded descriptor string: 999 characters and
// the terminating NUL.
const size_t kDescriptorTextSize = 1000;

// Character classes of the default locale, for 8-bit text whose high bytes
// belong to none of them.
bool IsBlank(unsigned char c);
bool IsPrintable(unsigned char c);
bool IsAlphanumeric(unsigned char c);

// Words first..last (inclusive) as text, two characters per word, high byte
// first, with trailing blanks cleared. `out` needs 2 * (last - first + 1) + 1
// bytes. A zero byte inside the field ends the text there.
void IdentifyWordsToText(const IdentifyWords& words, int first, int last, char* out);

// The 256 IDENTIFY words from 512 little-endian bytes.
IdentifyWords IdentifyWordsFromBytes(const unsigned char* bytes);

// A descriptor string at `offset` into `block` (of `blockSize` bytes) as text:
// hex-decoded when it is hex digits that make printable bytes, else copied,
// then optionally swapped pairwise and trimmed. `out` gets kDescriptorTextSize
// bytes. Whatever the driver handed back, the result is a NUL-terminated text
// inside `out`; a string that does not fit, or that does not end inside the
// block, gives the empty text.
void DecodeDescriptorText(const unsigned char* block, size_t blockSize, int32_t offset,
                          bool swapPairs, char* out);
