#include "data/ChangeRecorder.h"

#include <sqlite3.h>

#include <QStringList>
#include <cstring>
#include <utility>

#include "data/DbException.h"
#include "data/ErrorReport.h"

namespace {

TableChange& tableIn(DataChange& change, const char* name) {
    for (TableChange& table : change.tables) {
        if (table.table == QLatin1String(name))
            return table;
    }
    change.tables.push_back({QString::fromUtf8(name), {}, {}, {}});
    return change.tables.back();
}

void merge(DataChange& into, DataChange&& from) {
    into.everything = into.everything || from.everything;
    for (TableChange& table : from.tables) {
        TableChange& target = tableIn(into, table.table.toUtf8().constData());
        target.inserted.insert(target.inserted.end(), table.inserted.begin(), table.inserted.end());
        target.updated.insert(target.updated.end(), table.updated.begin(), table.updated.end());
        target.deleted.insert(target.deleted.end(), table.deleted.begin(), table.deleted.end());
    }
}

}  // namespace

void CChangeRecorder::install(sqlite3* handle, void (*onCommit)(void*), void* context) {
    m_handle = handle;
    m_onCommit = onCommit;
    m_context = context;
    sqlite3_update_hook(handle, &CChangeRecorder::noteRow, this);
    sqlite3_commit_hook(handle, &CChangeRecorder::noteCommit, this);
    sqlite3_rollback_hook(handle, &CChangeRecorder::noteRollback, this);
}

void CChangeRecorder::noteRow(void* recorder, int operation, const char* database,
                              const char* table, long long rowid) {
    // An attached copy or the engine's own temporary tables are not the contacts file.
    if (std::strcmp(database, "main") != 0)
        return;
    TableChange& change = tableIn(static_cast<CChangeRecorder*>(recorder)->m_pending, table);
    const auto id = static_cast<qint32>(rowid);
    switch (operation) {
        case SQLITE_INSERT:
            change.inserted.push_back(id);
            break;
        case SQLITE_DELETE:
            change.deleted.push_back(id);
            break;
        default:
            change.updated.push_back(id);
    }
}

int CChangeRecorder::noteCommit(void* recorder) {
    auto* self = static_cast<CChangeRecorder*>(recorder);
    if (self->m_onCommit)
        self->m_onCommit(self->m_context);
    merge(self->m_committed, std::move(self->m_pending));
    self->m_pending = {};
    return 0;  // the commit goes ahead
}

void CChangeRecorder::noteRollback(void* recorder) {
    static_cast<CChangeRecorder*>(recorder)->m_pending = {};
}

void CChangeRecorder::noteServerChange(const QString& notification) {
    const QStringList parts = notification.split(u' ');
    bool isNumber = false;
    const qint32 id = parts.value(2).toInt(&isNumber);
    if (parts.size() != 4 || !isNumber) {
        m_committed.everything = true;
        return;
    }
    TableChange& change = tableIn(m_committed, parts[1].toUtf8().constData());
    if (parts[3] == u"INSERT")
        change.inserted.push_back(id);
    else if (parts[3] == u"DELETE")
        change.deleted.push_back(id);
    else
        change.updated.push_back(id);
}

void CChangeRecorder::announceCommitted() {
    if (!m_committed.everything && m_committed.tables.empty())
        return;
    if (m_handle && sqlite3_get_autocommit(m_handle) == 0)
        return;
    // Taken out first: a subscriber may read on this connection and end up here again.
    const DataChange change = std::exchange(m_committed, {});
    // The write has succeeded whatever a subscriber meets while it reads.
    try {
        changeNotifier().announce(change);
    } catch (const CDbException& error) {
        reportDbException(error);
    }
}

void CChangeRecorder::clear() {
    m_pending = {};
    m_committed = {};
    m_handle = nullptr;
}
