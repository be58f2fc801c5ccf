#pragma once

#include <QString>
#include <vector>

#include "data/FieldTypes.h"

class CDatabase;

// The definition of a stored table: its columns in stored order.
class CTableDef {
public:
    // Throws CDbException when the database has no table of that name.
    CTableDef(CDatabase& db, const QString& name);

    QString GetName() const { return m_name; }
    int GetFieldCount() const { return static_cast<int>(m_fields.size()); }
    CFieldInfo GetFieldInfo(int index) const;

private:
    QString m_name;
    std::vector<CFieldInfo> m_fields;
};

// The columns of a stored table or query, in stored order (for the definitions).
std::vector<CFieldInfo> storedColumns(CDatabase& db, const QString& name);
