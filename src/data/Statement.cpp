#include "data/Statement.h"

#include "data/Database.h"
#include "data/EngineError.h"
#include "data/ServerStatement.h"
#include "data/SqliteStatement.h"

namespace {

std::unique_ptr<StatementEngine> engineFor(CDatabase& db, const QString& sqliteSql) {
    if (db.isServer())
        return std::make_unique<CServerStatement>(db, sqliteSql);
    if (!db.handle())
        throw databaseClosedError();
    return std::make_unique<CSqliteStatement>(db.handle(), sqliteSql);
}

}  // namespace

CStatement::CStatement(CDatabase& db, const QString& sqliteSql)
    : m_db(&db), m_engine(engineFor(db, sqliteSql)) {}

CStatement::CStatement(sqlite3* handle, const QString& sqliteSql)
    : m_engine(std::make_unique<CSqliteStatement>(handle, sqliteSql)) {}

CStatement::~CStatement() = default;

void CStatement::bind(int index, const QVariant& value) {
    m_engine->bind(index, value);
}

bool CStatement::step() {
    if (m_engine->step())
        return true;
    if (m_db)
        m_db->announceCommitted();
    return false;
}

void CStatement::reset() {
    m_engine->reset();
}

void CStatement::execute() {
    while (step()) {
    }
    reset();
}

int CStatement::columnCount() const {
    return m_engine->columnCount();
}

QString CStatement::columnName(int column) const {
    return m_engine->columnName(column);
}

QString CStatement::declaredType(int column) const {
    return m_engine->declaredType(column);
}

bool CStatement::isNull(int column) const {
    return m_engine->isNull(column);
}

qint64 CStatement::int64(int column) const {
    return m_engine->int64(column);
}

QString CStatement::text(int column) const {
    return m_engine->text(column);
}

int CStatement::type(int column) const {
    return m_engine->type(column);
}

double CStatement::real(int column) const {
    return m_engine->real(column);
}

QByteArrayView CStatement::bytes(int column) const {
    return m_engine->bytes(column);
}

QVariant CStatement::value(int column) const {
    return m_engine->value(column);
}
