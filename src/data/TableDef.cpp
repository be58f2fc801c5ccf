#include "data/TableDef.h"

#include <sqlite3.h>

#include "data/Database.h"
#include "data/DbException.h"
#include "data/EngineError.h"
#include "data/Schema.h"
#include "data/SqlDialect.h"
#include "data/Statement.h"

std::vector<CFieldInfo> storedColumns(CDatabase& db, const QString& name) {
    std::vector<CFieldInfo> fields;
    CStatement columns(db, QStringLiteral("PRAGMA table_info(%1)").arg(quotedName(name)));
    while (columns.step())
        fields.push_back({columns.text(1), fieldTypeFromDeclaredType(columns.text(2))});
    return fields;
}

namespace {

// On the team's server the tables are made from the file's definitions, with columns of
// their own besides that only the data layer reads: the definitions tell the shown ones.
bool readServerTable(const QString& name, QString& storedName, std::vector<CFieldInfo>& fields) {
    for (const SourceDef* table : schema::tables()) {
        if (name.compare(QLatin1String(table->name), Qt::CaseInsensitive) != 0)
            continue;
        storedName = QLatin1String(table->name);
        for (const QString& column : schema::tableColumns(*table))
            fields.push_back({column, schema::columnType(*table, column)});
        return true;
    }
    return false;
}

}  // namespace

CTableDef::CTableDef(CDatabase& db, const QString& name) {
    if (db.isServer()) {
        if (!readServerTable(name, m_name, m_fields))
            throw dbError(SQLITE_ERROR, QStringLiteral("no such table: %1").arg(name));
        return;
    }
    CStatement lookup(db, QStringLiteral("SELECT name FROM sqlite_master "
                                         "WHERE type = 'table' AND lower(name) = lower(?1)"));
    lookup.bind(1, name);
    if (!lookup.step())
        throw dbError(SQLITE_ERROR, QStringLiteral("no such table: %1").arg(name));
    m_name = lookup.text(0);
    m_fields = storedColumns(db, m_name);
}

CFieldInfo CTableDef::GetFieldInfo(int index) const {
    if (index < 0 || index >= GetFieldCount())
        throw dbError(SQLITE_RANGE, QStringLiteral("Item not found in this collection."));
    return m_fields[static_cast<std::size_t>(index)];
}
