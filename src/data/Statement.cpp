#include "data/Statement.h"

#include <sqlite3.h>

#include "data/Database.h"
#include "data/EngineError.h"
#include "data/ServerStatement.h"

CStatement::CStatement(CDatabase& db, const QString& sqliteSql) : m_db(&db) {
    if (db.isServer()) {
        m_server = std::make_unique<CServerStatement>(db, sqliteSql);
        return;
    }
    m_handle = db.handle();
    if (!m_handle)
        throw databaseClosedError();
    const QByteArray sql = sqliteSql.toUtf8();
    if (sqlite3_prepare_v2(m_handle, sql.constData(), static_cast<int>(sql.size()), &m_statement,
                           nullptr) != SQLITE_OK)
        throw engineError(m_handle);
}

CStatement::CStatement(sqlite3* handle, const QString& sqliteSql) : m_handle(handle) {
    if (!handle)
        throw databaseClosedError();
    const QByteArray sql = sqliteSql.toUtf8();
    if (sqlite3_prepare_v2(handle, sql.constData(), static_cast<int>(sql.size()), &m_statement,
                           nullptr) != SQLITE_OK)
        throw engineError(handle);
}

CStatement::~CStatement() {
    sqlite3_finalize(m_statement);
}

void CStatement::bind(int index, const QVariant& value) {
    if (m_server)
        return m_server->bind(index, value);
    int rc = SQLITE_OK;
    switch (value.typeId()) {
        case QMetaType::UnknownType:
        case QMetaType::Nullptr:
            rc = sqlite3_bind_null(m_statement, index);
            break;
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            rc = sqlite3_bind_int64(m_statement, index, value.toLongLong());
            break;
        case QMetaType::Double:
            rc = sqlite3_bind_double(m_statement, index, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob64(m_statement, index, bytes.constData(),
                                     static_cast<sqlite3_uint64>(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray text = value.toString().toUtf8();
            rc = sqlite3_bind_text64(m_statement, index, text.constData(),
                                     static_cast<sqlite3_uint64>(text.size()), SQLITE_TRANSIENT,
                                     SQLITE_UTF8);
        }
    }
    if (rc != SQLITE_OK)
        throw engineError(m_handle);
}

bool CStatement::step() {
    if (m_server) {
        if (m_server->step())
            return true;
        m_db->announceCommitted();
        return false;
    }
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE) {
        if (m_db)
            m_db->announceCommitted();
        return false;
    }
    // The error belongs to this run; reset so that the statement can run again.
    const CDbException error = engineError(m_handle);
    sqlite3_reset(m_statement);
    throw error;
}

void CStatement::reset() {
    if (m_server)
        return m_server->reset();
    sqlite3_reset(m_statement);
}

void CStatement::execute() {
    while (step()) {
    }
    reset();
}

int CStatement::columnCount() const {
    if (m_server)
        return m_server->columnCount();
    return sqlite3_column_count(m_statement);
}

QString CStatement::columnName(int column) const {
    if (m_server)
        return m_server->columnName(column);
    return QString::fromUtf8(sqlite3_column_name(m_statement, column));
}

QString CStatement::declaredType(int column) const {
    if (m_server)
        return m_server->declaredType(column);
    return QString::fromUtf8(sqlite3_column_decltype(m_statement, column));
}

bool CStatement::isNull(int column) const {
    if (m_server)
        return m_server->isNull(column);
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

qint64 CStatement::int64(int column) const {
    if (m_server)
        return m_server->int64(column);
    return sqlite3_column_int64(m_statement, column);
}

QString CStatement::text(int column) const {
    if (m_server)
        return m_server->text(column);
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(m_statement, column));
}

int CStatement::type(int column) const {
    if (m_server)
        return m_server->type(column);
    return sqlite3_column_type(m_statement, column);
}

double CStatement::real(int column) const {
    if (m_server)
        return m_server->real(column);
    return sqlite3_column_double(m_statement, column);
}

QByteArrayView CStatement::bytes(int column) const {
    if (m_server)
        return m_server->bytes(column);
    // The type is read first: asking for the pointer may convert the value, the length then
    // holds for that form.
    const auto* data =
        sqlite3_column_type(m_statement, column) == SQLITE_BLOB
            ? static_cast<const char*>(sqlite3_column_blob(m_statement, column))
            : reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return QByteArrayView(data, sqlite3_column_bytes(m_statement, column));
}

QVariant CStatement::value(int column) const {
    if (m_server)
        return m_server->value(column);
    switch (sqlite3_column_type(m_statement, column)) {
        case SQLITE_NULL:
            return {};
        case SQLITE_INTEGER:
            return int64(column);
        case SQLITE_FLOAT:
            return sqlite3_column_double(m_statement, column);
        case SQLITE_BLOB: {
            const auto* data = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
            return QByteArray(data, sqlite3_column_bytes(m_statement, column));
        }
        default:
            return text(column);
    }
}
