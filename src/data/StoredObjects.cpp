#include "data/StoredObjects.h"

#include "data/ServerConnection.h"

std::optional<CStoredObjects::Object> CStoredObjects::find(const QString& name) const {
    const auto found = m_objects.constFind(name.toLower());
    if (found == m_objects.constEnd())
        return std::nullopt;
    return *found;
}

void CStoredObjects::readAll(CServerConnection& server) {
    const CServerResult objects = server.exec(
        QStringLiteral("SELECT CASE c.relkind WHEN 'r' THEN 'table' ELSE 'view' END, c.relname "
                       "FROM pg_class c JOIN pg_namespace s ON s.oid = c.relnamespace "
                       "WHERE s.nspname = current_schema() AND c.relkind IN ('r', 'v')"));
    for (int row = 0; row < objects.rowCount(); ++row) {
        const QString name = objects.text(row, 1);
        m_objects.insert(name.toLower(), {objects.text(row, 0), name});
    }
}

const std::vector<CFieldInfo>* CStoredObjects::columnsOf(const QString& sql) const {
    const auto found = m_columns.constFind(sql);
    return found == m_columns.constEnd() ? nullptr : &*found;
}

void CStoredObjects::rememberColumns(const QString& sql, const std::vector<CFieldInfo>& columns) {
    m_columns.insert(sql, columns);
}

void CStoredObjects::clear() {
    m_objects.clear();
    m_columns.clear();
    m_foldsNames.reset();
}
