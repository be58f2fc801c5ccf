#include "sync/SyncAccount.h"

#include <QStringList>

QString SyncSummary::text() const {
    QStringList parts{QStringLiteral("%1 received").arg(received),
                      QStringLiteral("%1 sent").arg(sent),
                      QStringLiteral("%1 deleted").arg(deleted)};
    if (conflicts > 0)
        parts << (conflicts == 1 ? QStringLiteral("1 conflict merged")
                                 : QStringLiteral("%1 conflicts merged").arg(conflicts));
    const QString counts = parts.join(QStringLiteral(", "));
    return ok() ? counts : error + QStringLiteral(" (") + counts + u')';
}
