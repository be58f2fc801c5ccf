#include "data/ChangeNotifier.h"

#include <QThread>

#include "data/SortedKeyCache.h"

const TableChange* DataChange::table(QStringView name) const {
    for (const TableChange& change : tables) {
        if (name.compare(change.table, Qt::CaseInsensitive) == 0)
            return &change;
    }
    return nullptr;
}

void CChangeNotifier::announce(const DataChange& change) {
    if (!change.everything && change.tables.empty())
        return;
    // Before any subscriber reads again.
    sortedKeyCache().forget(change);
    // A writer on another thread: the subscribers hear of it on theirs.
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, change] { emit changed(change); }, Qt::QueuedConnection);
        return;
    }
    emit changed(change);
}

CChangeNotifier& changeNotifier() {
    static CChangeNotifier notifier;
    return notifier;
}
