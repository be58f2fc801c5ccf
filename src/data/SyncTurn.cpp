#include "data/SyncTurn.h"

#include <QCryptographicHash>
#include <utility>

#include "data/Database.h"
#include "data/DbException.h"
#include "data/ServerConnection.h"

namespace {

// Advisory locks are numbers: the collection's key hashed, with a prefix that keeps them
// apart from any other use of the server's advisory locks.
const QString kLockKey = QStringLiteral("hashtextextended('tarvex sync ' || $1, 0)");

// The lock file of a collection beside the contacts file: the key's hash keeps the name
// short and free of characters a folder may not take.
QString lockFilePath(const QString& databasePath, const QString& collection) {
    const QByteArray hash =
        QCryptographicHash::hash(collection.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return databasePath + QStringLiteral(".sync-") + QString::fromLatin1(hash) +
           QStringLiteral(".lock");
}

}  // namespace

CSyncTurn::CSyncTurn() = default;

CSyncTurn::~CSyncTurn() {
    release();
}

bool CSyncTurn::take(CDatabase& db, const QString& collection) {
    release();
    if (!db.isServer()) {
        auto lock = std::make_unique<QLockFile>(lockFilePath(db.GetName(), collection));
        // A lock whose program died on this machine is taken over at once; a sync holds it
        // for minutes at most, so one an hour old was left by a machine that went away.
        lock->setStaleLockTime(60 * 60 * 1000);
        if (lock->tryLock(0)) {
            m_lockFile = std::move(lock);
            return true;
        }
        if (lock->error() == QLockFile::LockFailedError)
            return false;
        throw CDbException(0, QStringLiteral("The sync could not make its lock file '%1' beside "
                                             "the contacts file.")
                                  .arg(lock->fileName()));
    }
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
    m_lockFile.reset();
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
