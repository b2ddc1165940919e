// Descriptor strings come from whatever a disk driver puts in its answer.
// Input: two bytes of signed offset, one flag byte, then the answer buffer.
#include "identity/IdentifyText.h"

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3)
        return 0;
    const int32_t offset = static_cast<int16_t>(data[0] | data[1] << 8);
    const bool swap = data[2] & 1;
    // Exactly sized copies, so that AddressSanitizer sees any step outside.
    const std::vector<unsigned char> block(data + 3, data + size);
    std::vector<char> out(kDescriptorTextSize, 'X');
    DecodeDescriptorText(block.data(), block.size(), offset, swap, out.data());

    const void* nul = std::memchr(out.data(), 0, out.size());
    if (nul == nullptr)
        std::abort();
    const size_t length = static_cast<const char*>(nul) - out.data();
    bool allBlank = true;
    for (size_t i = 0; i < length; ++i) {
        if (!IsPrintable(out[i]))
            std::abort();
        allBlank = allBlank && IsBlank(out[i]);
    }
    // Trimmed, unless there is nothing but blanks.
    if (length > 0 && !allBlank && (IsBlank(out[0]) || IsBlank(out[length - 1])))
        std::abort();
    return 0;
}
