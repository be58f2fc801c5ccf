#include "data/SqliteStatement.h"

#include <sqlite3.h>

#include "data/EngineError.h"

CSqliteStatement::CSqliteStatement(sqlite3* handle, const QString& sqliteSql) : m_handle(handle) {
    if (!handle)
        throw databaseClosedError();
    const QByteArray sql = sqliteSql.toUtf8();
    if (sqlite3_prepare_v2(handle, sql.constData(), static_cast<int>(sql.size()), &m_statement,
                           nullptr) != SQLITE_OK)
        throw engineError(handle);
}

CSqliteStatement::~CSqliteStatement() {
    sqlite3_finalize(m_statement);
}

void CSqliteStatement::bind(int index, const QVariant& value) {
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

bool CSqliteStatement::step() {
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // The error belongs to this run; reset so that the statement can run again.
    const CDbException error = engineError(m_handle);
    sqlite3_reset(m_statement);
    throw error;
}

void CSqliteStatement::reset() {
    sqlite3_reset(m_statement);
}

int CSqliteStatement::columnCount() const {
    return sqlite3_column_count(m_statement);
}

QString CSqliteStatement::columnName(int column) const {
    return QString::fromUtf8(sqlite3_column_name(m_statement, column));
}

QString CSqliteStatement::declaredType(int column) const {
    return QString::fromUtf8(sqlite3_column_decltype(m_statement, column));
}

bool CSqliteStatement::isNull(int column) const {
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

qint64 CSqliteStatement::int64(int column) const {
    return sqlite3_column_int64(m_statement, column);
}

QString CSqliteStatement::text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(m_statement, column));
}

int CSqliteStatement::type(int column) const {
    return sqlite3_column_type(m_statement, column);
}

double CSqliteStatement::real(int column) const {
    return sqlite3_column_double(m_statement, column);
}

QByteArrayView CSqliteStatement::bytes(int column) const {
    // The type is read first: asking for the pointer may convert the value, the length then
    // holds for that form.
    const auto* data =
        sqlite3_column_type(m_statement, column) == SQLITE_BLOB
            ? static_cast<const char*>(sqlite3_column_blob(m_statement, column))
            : reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return QByteArrayView(data, sqlite3_column_bytes(m_statement, column));
}

QVariant CSqliteStatement::value(int column) const {
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
