#include "data/EngineError.h"

#include <sqlite3.h>

#include "data/FileDamage.h"

namespace {

// The help page (an anchor of the bundled help) for an engine code.
QString helpContextFor(int code) {
    switch (code & 0xFF) {
        case SQLITE_NOTADB:
        case SQLITE_AUTH:
            return QStringLiteral("db-wrong-password");
        case SQLITE_CANTOPEN:
            return QStringLiteral("db-not-found");
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return QStringLiteral("db-locked");
        case SQLITE_READONLY:
        case SQLITE_PERM:
            return QStringLiteral("db-read-only");
        case SQLITE_CORRUPT:
            return QStringLiteral("db-damaged");
        case SQLITE_FULL:
            return QStringLiteral("db-full");
        default:
            return QStringLiteral("db-errors");
    }
}

}  // namespace

CDbException dbError(int code, const QString& description) {
    // Every damage report of the engine passes here, whichever operation met it.
    if ((code & 0xFF) == SQLITE_CORRUPT)
        filedamage::noteDamage();
    return CDbException(code, description, helpContextFor(code));
}

CDbException engineError(sqlite3* handle) {
    return dbError(sqlite3_extended_errcode(handle), QString::fromUtf8(sqlite3_errmsg(handle)));
}

CDbException engineError(int code) {
    return dbError(code, QString::fromUtf8(sqlite3_errstr(code)));
}

CDbException databaseClosedError() {
    return dbError(SQLITE_MISUSE, QStringLiteral("The database is not open."));
}
