#include "data/ServerStatement.h"

#include <sqlite3.h>

#include <charconv>

#include "data/Database.h"
#include "data/ServerSql.h"

namespace {

// The server's type OIDs that the data layer meets.
enum : unsigned {
    kBool = 16,
    kBytea = 17,
    kInt8 = 20,
    kInt2 = 21,
    kInt4 = 23,
    kOid = 26,
    kFloat4 = 700,
    kFloat8 = 701,
    kTimestamp = 1114,
    kNumeric = 1700,
};

int sqliteTypeOf(unsigned type) {
    switch (type) {
        case kBool:
        case kInt8:
        case kInt2:
        case kInt4:
        case kOid:
            return SQLITE_INTEGER;
        case kFloat4:
        case kFloat8:
        case kNumeric:
            return SQLITE_FLOAT;
        case kBytea:
            return SQLITE_BLOB;
        default:
            return SQLITE_TEXT;
    }
}

}  // namespace

CServerStatement::CServerStatement(CDatabase& db, const QString& sqliteSql)
    : m_db(db), m_sql(toServerSql(sqliteSql)) {}

void CServerStatement::bind(int index, const QVariant& value) {
    if (index > m_parameters.size())
        m_parameters.resize(index);
    QVariant bound = value;
    if (value.typeId() == QMetaType::Bool)
        bound = value.toBool() ? 1 : 0;
    else if (value.typeId() == QMetaType::Nullptr)
        bound = QVariant();
    m_parameters[index - 1] = bound;
}

bool CServerStatement::step() {
    if (!m_result) {
        m_result = m_db.server().exec(m_sql, m_parameters);
        m_row = -1;
        m_db.serverStatementDone(m_result->changedRows()
                                     ? std::optional<qint64>(m_result->affectedRows())
                                     : std::nullopt);
    }
    ++m_row;
    return m_row < m_result->rowCount();
}

void CServerStatement::reset() {
    m_result.reset();
    m_row = -1;
}

const CServerResult& CServerStatement::shape() const {
    if (m_result)
        return *m_result;
    if (!m_description)
        m_description = m_db.server().describe(m_sql);
    return *m_description;
}

int CServerStatement::columnCount() const {
    return shape().columnCount();
}

QString CServerStatement::columnName(int column) const {
    return shape().columnName(column);
}

QString CServerStatement::declaredType(int column) const {
    switch (shape().columnType(column)) {
        case kInt8:
        case kInt2:
        case kInt4:
            return QStringLiteral("INTEGER");
        case kTimestamp:
            return QStringLiteral("DATETIME");
        case kFloat4:
        case kFloat8:
        case kNumeric:
            return QStringLiteral("REAL");
        case kBytea:
            return QStringLiteral("BLOB");
        default:
            return QStringLiteral("TEXT");
    }
}

bool CServerStatement::isNull(int column) const {
    return m_result->isNull(m_row, column);
}

qint64 CServerStatement::int64(int column) const {
    if (m_result->columnType(column) == kBool)
        return m_result->bytes(m_row, column) == "t" ? 1 : 0;
    // Read in place: a list of a million rows reads a million ids.
    const QByteArrayView digits = m_result->bytes(m_row, column);
    qint64 value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

QString CServerStatement::text(int column) const {
    return m_result->text(m_row, column);
}

int CServerStatement::type(int column) const {
    return isNull(column) ? SQLITE_NULL : sqliteTypeOf(m_result->columnType(column));
}

double CServerStatement::real(int column) const {
    return m_result->bytes(m_row, column).toByteArray().toDouble();
}

QByteArrayView CServerStatement::bytes(int column) const {
    return m_result->bytes(m_row, column);
}

QVariant CServerStatement::value(int column) const {
    switch (type(column)) {
        case SQLITE_NULL:
            return {};
        case SQLITE_INTEGER:
            return int64(column);
        case SQLITE_FLOAT:
            return real(column);
        case SQLITE_BLOB: {
            // The text format of bytea: "\x" and hexadecimal digits.
            const QByteArrayView hex = bytes(column);
            return QByteArray::fromHex(hex.sliced(2).toByteArray());
        }
        default:
            return text(column);
    }
}
