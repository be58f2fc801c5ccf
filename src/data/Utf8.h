#pragma once

#include <string>

// UTF-8 read and written character by character, for the comparisons that work on the
// engine's texts in place.

inline bool isUtf8Continuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The character that starts at `at` (advanced past it); an invalid sequence reads as one
// U+FFFD per byte.
inline char32_t nextUtf8Character(const unsigned char*& at, const unsigned char* end) {
    constexpr char32_t kReplacement = 0xFFFD;
    const unsigned char lead = *at++;
    if (lead < 0x80)
        return lead;
    int extra = 0;
    char32_t c = 0;
    char32_t least = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, c = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, c = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, c = lead & 0x07, least = 0x10000;
    } else {
        return kReplacement;
    }
    if (end - at < extra)
        return kReplacement;
    for (int i = 0; i < extra; ++i)
        if (!isUtf8Continuation(at[i]))
            return kReplacement;
    for (int i = 0; i < extra; ++i)
        c = (c << 6) | (at[i] & 0x3F);
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return kReplacement;
    at += extra;
    return c;
}

inline void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}
