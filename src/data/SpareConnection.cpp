#include "data/SpareConnection.h"

#include "data/Database.h"

CSpareConnection::CSpareConnection() = default;
CSpareConnection::~CSpareConnection() = default;

std::unique_ptr<CDatabase> CSpareConnection::take(const QString& path, const QString& password) {
    const std::scoped_lock hold(m_lock);
    if (!m_db || m_db->GetName() != path || m_password != password)
        return nullptr;
    return std::move(m_db);
}

void CSpareConnection::keep(std::unique_ptr<CDatabase> db, const QString& password) {
    std::unique_ptr<CDatabase> replaced;
    const std::scoped_lock hold(m_lock);
    replaced = std::exchange(m_db, std::move(db));
    m_password = password;
}

void CSpareConnection::clear() {
    std::unique_ptr<CDatabase> closed;
    const std::scoped_lock hold(m_lock);
    closed = std::move(m_db);
}
