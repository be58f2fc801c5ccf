#include "data/IntegrityCheck.h"

#include <sqlite3.h>

#include <sys/resource.h>
#include <unistd.h>

#include <stop_token>

#include "data/Connection.h"
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

void checkFile(const std::stop_token& stop, const QString& path, const QString& password) {
    // A check in the background: it gives way on the processor to the user's work, such as
    // the known-value load that runs at the same time at start-up.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kBackgroundNice);
    CDatabase db;
    try {
        db.Open(path, false, true, connectText(password));
    } catch (const CDbException&) {
        return;
    }
    std::stop_callback interrupt(stop, [&db] { sqlite3_interrupt(db.handle()); });
    try {
        CStatement check(db.handle(), QStringLiteral("PRAGMA quick_check(1)"));
        if (check.step() && check.text(0) != QLatin1String("ok"))
            filedamage::noteDamage();
    } catch (const CDbException& error) {
        // An interrupted check has found nothing; a damaged page can also stop it.
        if (!stop.stop_requested() && isDamageCode(error.code()))
            filedamage::noteDamage();
    }
}

}  // namespace

CIntegrityCheck::CIntegrityCheck(const QString& path, const QString& password)
    : m_thread([path, password](std::stop_token stop) { checkFile(stop, path, password); }) {}

void CIntegrityCheck::wait() {
    if (m_thread.joinable())
        m_thread.join();
}
