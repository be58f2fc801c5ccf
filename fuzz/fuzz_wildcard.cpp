// The list filter's pattern: the input up to its first zero byte is the pattern, the rest
// the cell text it is matched against.
#include <cstddef>
#include <cstdint>

#include "lists/WildcardPattern.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype split = bytes.indexOf('\0');
    const QString pattern = QString::fromUtf8(split < 0 ? bytes : bytes.left(split));
    const QString text = split < 0 ? QString() : QString::fromUtf8(bytes.mid(split + 1));
    const CWildcardPattern compiled(pattern);
    if (compiled.matches(text) && !compiled.isValid())
        __builtin_trap();  // a malformed pattern matches nothing
    return 0;
}
