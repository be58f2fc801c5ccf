#include "data/NoCaseCollation.h"

#include <sqlite3.h>

#include <QChar>
#include <algorithm>

namespace {

unsigned char lower(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The character that starts at `at` (advanced past it); an invalid sequence reads as one
// U+FFFD per byte.
char32_t nextCharacter(const unsigned char*& at, const unsigned char* end) {
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
        if (!isContinuation(at[i]))
            return kReplacement;
    for (int i = 0; i < extra; ++i)
        c = (c << 6) | (at[i] & 0x3F);
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return kReplacement;
    at += extra;
    return c;
}

char32_t folded(char32_t c) { return c < 0x80 ? lower(static_cast<unsigned char>(c)) : QChar::toCaseFolded(c); }

void appendUtf8(std::string& out, char32_t c) {
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

int collate(void*, int aLength, const void* a, int bLength, const void* b) {
    return compareNoCase(static_cast<const char*>(a), aLength, static_cast<const char*>(b),
                         bLength);
}

}  // namespace

int compareNoCase(const char* a, int aLength, const char* b, int bLength) {
    // Most texts differ within their ASCII part, which is compared in place. From the first
    // byte beyond ASCII on (a character boundary, since all before it were ASCII) the texts
    // are compared character by character; UTF-8 keeps the characters' order, so this is
    // the order of their keys.
    const auto* x = reinterpret_cast<const unsigned char*>(a);
    const auto* y = reinterpret_cast<const unsigned char*>(b);
    const auto* xEnd = x + aLength;
    const auto* yEnd = y + bLength;
    while (x < xEnd && y < yEnd) {
        if ((*x | *y) < 0x80) {
            if (lower(*x) != lower(*y))
                return lower(*x) - lower(*y);
            ++x, ++y;
            continue;
        }
        const char32_t cx = folded(nextCharacter(x, xEnd));
        const char32_t cy = folded(nextCharacter(y, yEnd));
        if (cx != cy)
            return cx < cy ? -1 : 1;
    }
    return int(x < xEnd) - int(y < yEnd);
}

void appendNoCaseKey(std::string& key, const char* text, int length) {
    const auto* at = reinterpret_cast<const unsigned char*>(text);
    const auto* end = at + length;
    while (at < end) {
        if (*at < 0x80)
            key += static_cast<char>(lower(*at++));
        else
            appendUtf8(key, folded(nextCharacter(at, end)));
    }
}

void registerNoCaseCollation(sqlite3* handle) {
    sqlite3_create_collation_v2(handle, kUnicodeNoCase, SQLITE_UTF8, nullptr, collate, nullptr);
}
