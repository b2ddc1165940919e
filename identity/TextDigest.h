#pragma once

#include <cstdint>
#include <string>

// The digest of a text as lower-case hexadecimal. Only algorithm 5, MD5, is
// known; any other number gives the empty text, and a fresh object starts at
// 6, so forgetting SetAlgorithm shows up as an empty identifier.
class TextDigest {
public:
    static constexpr uint32_t kMd5 = 5;

    void SetAlgorithm(uint32_t number) { m_algorithm = number; }
    void SetText(const std::string& text) { m_text = text; }
    std::string GetDigestText() const;

private:
    std::string m_text;
    uint32_t m_algorithm = 6;
};
