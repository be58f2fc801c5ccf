#include "data/StoredObjects.h"

std::optional<CStoredObjects::Object> CStoredObjects::find(const QString& name) const {
    const auto found = m_objects.constFind(name.toLower());
    if (found == m_objects.constEnd())
        return std::nullopt;
    return *found;
}

void CStoredObjects::remember(const QString& name, const Object& object) {
    m_objects.insert(name.toLower(), object);
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
