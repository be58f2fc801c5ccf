#pragma once

#include <QString>
#include <span>

// The three column types that record sets bind.
enum class FieldType { Long, Text, DateTime };

// One bound column: its stored name and type.
struct FieldDef {
    const char* name;
    FieldType type;
};

// A table or stored query with the columns its record set binds, in binding order.
struct SourceDef {
    const char* name;
    std::span<const FieldDef> fields;
    // Tables only: the columns after `id` in the order they are stored (and listed);
    // empty means the binding order.
    std::span<const char* const> columnOrder;
    // Stored queries only: the query's SELECT text.
    const char* querySql = nullptr;
};

// Name and type of a column of an open record set, table or query.
struct CFieldInfo {
    QString m_strName;
    FieldType m_nType = FieldType::Text;
};

// The field type of a column declared with the given type text ("INTEGER", "DATETIME", ...).
FieldType fieldTypeFromDeclaredType(const QString& declaredType);
// The declared type that stores a field type, with case-insensitive text comparison.
QString declaredTypeOf(FieldType type);
