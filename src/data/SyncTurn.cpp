#include "data/SyncTurn.h"

#include <utility>

#include "data/Database.h"
#include "data/DbException.h"
#include "data/ServerConnection.h"

namespace {

// Advisory locks are numbers: the collection's key hashed, with a prefix that keeps them
// apart from any other use of the server's advisory locks.
const QString kLockKey = QStringLiteral("hashtextextended('tarvex sync ' || $1, 0)");

}  // namespace

CSyncTurn::~CSyncTurn() {
    release();
}

bool CSyncTurn::take(CDatabase& db, const QString& collection) {
    release();
    if (!db.isServer())
        return true;
    const bool taken =
        db.server()
            .exec(QStringLiteral("SELECT pg_try_advisory_lock(%1)").arg(kLockKey), {collection})
            .text(0, 0) == QLatin1String("t");
    if (taken) {
        m_db = &db;
        m_collection = collection;
    }
    return taken;
}

void CSyncTurn::release() {
    if (!m_db)
        return;
    CDatabase* db = std::exchange(m_db, nullptr);
    try {
        // A session that was lost meanwhile gave the lock up with it.
        if (db->isServer())
            db->server().exec(QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(kLockKey),
                              {m_collection});
    } catch (const CDbException&) {
    }
}
