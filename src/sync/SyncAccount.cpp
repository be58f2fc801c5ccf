#include "sync/SyncAccount.h"

#include <QStringList>

QString SyncSummary::text() const {
    QStringList parts{QStringLiteral("%1 received").arg(received),
                      QStringLiteral("%1 sent").arg(sent),
                      QStringLiteral("%1 deleted").arg(deleted)};
    if (conflicts > 0)
        parts << (conflicts == 1 ? QStringLiteral("1 conflict merged")
                                 : QStringLiteral("%1 conflicts merged").arg(conflicts));
    if (keptOnServer > 0)
        parts << (keptOnServer == 1 ? QStringLiteral("1 repetition kept as the server has it")
                                    : QStringLiteral("%1 repetitions kept as the server has them")
                                          .arg(keptOnServer));
    const QString counts = parts.join(QStringLiteral(", "));
    return ok() ? counts : error + QStringLiteral(" (") + counts + u')';
}

void SyncSummary::add(const SyncSummary& other) {
    received += other.received;
    sent += other.sent;
    deleted += other.deleted;
    conflicts += other.conflicts;
    keptOnServer += other.keptOnServer;
    if (error.isEmpty())
        error = other.error;
}
