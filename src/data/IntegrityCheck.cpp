#include "data/IntegrityCheck.h"

#include <sqlite3.h>

#include <sys/resource.h>
#include <unistd.h>

#include "data/Database.h"
#include "data/DbException.h"
#include "data/FileDamage.h"
#include "data/Statement.h"

namespace {

constexpr int kBackgroundNice = 19;

bool isDamageCode(int code) {
    const int primary = code & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// Damage is a fact about the file, not a result that a later job could make stale: it is
// noted at once, from the worker's thread.
CBackgroundWorker::Delivery checkFile(CDatabase& db, const std::stop_token& stop) {
    // A check in the background: it gives way on the processor to the user's work, such as
    // the known-value load that runs at the same time at start-up.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kBackgroundNice);
    try {
        CStatement check(db.handle(), QStringLiteral("PRAGMA quick_check(1)"));
        if (check.step() && check.text(0) != QLatin1String("ok"))
            filedamage::noteDamage();
    } catch (const CDbException& error) {
        // A stopped check has found nothing; a damaged page can also stop it.
        if (!stop.stop_requested() && isDamageCode(error.code()))
            filedamage::noteDamage();
    }
    return {};
}

}  // namespace

CIntegrityCheck::CIntegrityCheck(const QString& path, const QString& password) {
    m_worker.start(path, password, checkFile);
}
