#pragma once

#include <string>

// One 64-byte field of "cookie.dat" as the layout defines it, written out
// independently of the product: the value cut to 64 characters, zero-padded,
// and, for the access values, every byte XORed with the key, starting over
// at the key's first character in each field. An empty key leaves it plain.
inline std::string CookieField(const std::string& value, const std::string& key) {
    std::string field = value.substr(0, 64);
    field.resize(64, '\0');
    for (size_t i = 0; i < 64 && !key.empty(); ++i)
        field[i] = static_cast<char>(field[i] ^ key[i % key.size()]);
    return field;
}
