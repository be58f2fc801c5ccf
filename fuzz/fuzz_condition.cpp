// The translation of filter and search conditions into the engine's SQL.
#include <cstddef>
#include <cstdint>

#include "data/SqlDialect.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString condition =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    toSqlite(condition);
    toSqliteSort(condition, {QStringLiteral("lastname"), QStringLiteral("firm")});
    return 0;
}
