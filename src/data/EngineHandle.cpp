#include "data/EngineHandle.h"

#include <sqlite3.h>

#include <QFile>

#include "data/EngineError.h"
#include "data/JetLike.h"
#include "data/NoCaseCollation.h"
#include "data/Statement.h"

namespace {

constexpr int busyTimeoutMs = 2000;

}  // namespace

EngineHandle::~EngineHandle() {
    sqlite3_close_v2(m_handle);
}

EngineHandle& EngineHandle::operator=(EngineHandle&& other) noexcept {
    if (this != &other) {
        sqlite3_close_v2(m_handle);
        m_handle = other.release();
    }
    return *this;
}

EngineHandle openEngineFile(const QString& path, int flags) {
    sqlite3* raw = nullptr;
    // A connection is used by one thread only (the user-interface thread, or a worker's
    // own), so the engine need not lock it for each call of a row's columns.
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw,
                                   flags | SQLITE_OPEN_NOMUTEX, nullptr);
    EngineHandle handle(raw);
    if (rc != SQLITE_OK)
        throw raw ? engineError(raw) : engineError(rc);
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, busyTimeoutMs);
    return handle;
}

void configureEngineHandle(sqlite3* handle, const QString& password) {
    registerLikeFunction(handle);
    registerNoCaseCollation(handle);
    if (!password.isEmpty()) {
        const QByteArray key = password.toUtf8();
        if (sqlite3_key(handle, key.constData(), static_cast<int>(key.size())) != SQLITE_OK)
            throw engineError(handle);
        // Pins the cipher settings this program writes, so that later SQLCipher versions
        // (which default to other settings) read the same file.
        CStatement(handle, QStringLiteral("PRAGMA cipher_compatibility = 3")).execute();
    }
    // Room for the indexes of a large file (the engine takes the memory only as it is used).
    CStatement(handle, QStringLiteral("PRAGMA cache_size = -65536")).execute();
}
