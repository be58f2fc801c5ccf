#include "data/QueryDef.h"

#include <sqlite3.h>

#include <QRegularExpression>

#include "data/Database.h"
#include "data/DbException.h"
#include "data/EngineError.h"
#include "data/Statement.h"
#include "data/TableDef.h"

CQueryDef::CQueryDef(CDatabase& db, const QString& name) {
    CStatement lookup(db, QStringLiteral("SELECT name, sql FROM sqlite_master "
                                         "WHERE type = 'view' AND lower(name) = lower(?1)"));
    lookup.bind(1, name);
    if (!lookup.step())
        throw dbError(SQLITE_ERROR, QStringLiteral("no such query: %1").arg(name));
    m_name = lookup.text(0);
    // The stored text is "CREATE VIEW name AS select"; the query is the select.
    static const QRegularExpression head(
        QStringLiteral(R"(^CREATE\s+VIEW\s+.*?\s+AS\s+)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    m_sql = lookup.text(1).remove(head).trimmed();
    if (!m_sql.endsWith(u';'))
        m_sql += u';';
    m_fields = storedColumns(db, m_name);
}

CFieldInfo CQueryDef::GetFieldInfo(int index) const {
    if (index < 0 || index >= GetFieldCount())
        throw dbError(SQLITE_RANGE, QStringLiteral("Item not found in this collection."));
    return m_fields[static_cast<std::size_t>(index)];
}
