#include "data/NoCaseCollation.h"

#include <sqlite3.h>

#include <QString>
#include <algorithm>

namespace {

bool isAscii(const char* text, int length) {
    for (int i = 0; i < length; ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    return true;
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

int collate(void*, int aLength, const void* a, int bLength, const void* b) {
    return compareNoCase(static_cast<const char*>(a), aLength, static_cast<const char*>(b),
                         bLength);
}

}  // namespace

int compareNoCase(const char* a, int aLength, const char* b, int bLength) {
    // Plain ASCII texts (the common case) are compared in place; the result is the same as
    // the Unicode comparison below gives for them.
    if (isAscii(a, aLength) && isAscii(b, bLength)) {
        const int common = std::min(aLength, bLength);
        for (int i = 0; i < common; ++i) {
            const char x = lower(a[i]);
            const char y = lower(b[i]);
            if (x != y)
                return static_cast<unsigned char>(x) - static_cast<unsigned char>(y);
        }
        return aLength - bLength;
    }
    return QString::compare(QString::fromUtf8(a, aLength), QString::fromUtf8(b, bLength),
                            Qt::CaseInsensitive);
}

void registerNoCaseCollation(sqlite3* handle) {
    sqlite3_create_collation_v2(handle, kUnicodeNoCase, SQLITE_UTF8, nullptr, collate, nullptr);
}
