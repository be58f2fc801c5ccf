#include "data/NoCaseCollation.h"

#include <sqlite3.h>

#include <QChar>
#include <algorithm>

#include "data/Utf8.h"

namespace {

unsigned char lower(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

char32_t folded(char32_t c) {
    return c < 0x80 ? lower(static_cast<unsigned char>(c)) : QChar::toCaseFolded(c);
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
        const char32_t cx = folded(nextUtf8Character(x, xEnd));
        const char32_t cy = folded(nextUtf8Character(y, yEnd));
        if (cx != cy)
            return cx < cy ? -1 : 1;
    }
    return int(x < xEnd) - int(y < yEnd);
}

void appendNoCaseKey(std::string& key, const char* text, int length) {
    const auto* at = reinterpret_cast<const unsigned char*>(text);
    const auto* end = at + length;
    while (at < end) {
        // A run of ASCII is lowered in one piece: the keys of a million names are built here.
        const auto* ascii = std::find_if(at, end, [](unsigned char c) { return c >= 0x80; });
        if (ascii != at) {
            const std::size_t from = key.size();
            key.resize(from + std::size_t(ascii - at));
            std::transform(at, ascii, key.begin() + std::ptrdiff_t(from),
                           [](unsigned char c) { return static_cast<char>(lower(c)); });
            at = ascii;
        }
        if (at < end)
            appendUtf8(key, folded(nextUtf8Character(at, end)));
    }
}

void registerNoCaseCollation(sqlite3* handle) {
    sqlite3_create_collation_v2(handle, kUnicodeNoCase, SQLITE_UTF8, nullptr, collate, nullptr);
}
