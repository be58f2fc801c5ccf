#pragma once

#include <QString>
#include <vector>

#include "data/FieldTypes.h"

class CDatabase;

// The definition of a stored query: its SELECT text and its columns.
class CQueryDef {
public:
    // Throws CDbException when the database has no query of that name.
    CQueryDef(CDatabase& db, const QString& name);

    QString GetName() const { return m_name; }
    // The query's SELECT text, ending in ";".
    QString GetSQL() const { return m_sql; }
    int GetFieldCount() const { return static_cast<int>(m_fields.size()); }
    CFieldInfo GetFieldInfo(int index) const;

private:
    QString m_name;
    QString m_sql;
    std::vector<CFieldInfo> m_fields;
};
