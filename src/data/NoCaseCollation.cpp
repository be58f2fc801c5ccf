#include "data/NoCaseCollation.h"

#include <sqlite3.h>

#include <QString>
#include <algorithm>

namespace {

unsigned char lower(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

int collate(void*, int aLength, const void* a, int bLength, const void* b) {
    return compareNoCase(static_cast<const char*>(a), aLength, static_cast<const char*>(b),
                         bLength);
}

}  // namespace

int compareNoCase(const char* a, int aLength, const char* b, int bLength) {
    // The ASCII part up to the first difference is compared in place, in one pass: most
    // texts differ there. From the first byte beyond ASCII on (a character boundary, since
    // all before it were ASCII) the rest is compared as Unicode text; the equal part
    // before it cannot change the result.
    const int common = std::min(aLength, bLength);
    for (int i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if ((x | y) >= 0x80)
            return QString::compare(QString::fromUtf8(a + i, aLength - i),
                                    QString::fromUtf8(b + i, bLength - i), Qt::CaseInsensitive);
        if (lower(x) != lower(y))
            return lower(x) - lower(y);
    }
    return aLength - bLength;
}

void registerNoCaseCollation(sqlite3* handle) {
    sqlite3_create_collation_v2(handle, kUnicodeNoCase, SQLITE_UTF8, nullptr, collate, nullptr);
}
