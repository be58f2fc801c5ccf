#include "data/SortedKeys.h"

#include "data/Database.h"

#include <sqlite3.h>

#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "data/NoCaseCollation.h"
#include "data/Statement.h"

namespace {

// The value classes in the engine's order.
enum Tag : char { kNull = 0, kNumber = 1, kText = 2, kBlob = 3 };

constexpr std::int64_t kExactDoubleLimit = std::int64_t(1) << 53;

// Eight bytes whose unsigned order is the order of the numbers.
void appendNumber(std::string& key, double value) {
    if (value == 0)
        value = 0;  // -0 and 0 are equal
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    bits = (bits >> 63) ? ~bits : bits | (std::uint64_t(1) << 63);
    for (int shift = 56; shift >= 0; shift -= 8)
        key += static_cast<char>((bits >> shift) & 0xFF);
}

bool isAscii(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Every row's keys, one after the other in one buffer.
struct KeyTable {
    std::string bytes;
    std::vector<std::uint32_t> starts;  // per row and column, and one past the end
    std::vector<qint64> rowKeys;
    std::size_t columnCount = 0;

    QByteArrayView key(std::size_t row, std::size_t column) const {
        const std::size_t at = row * columnCount + column;
        return QByteArrayView(bytes.data() + starts[at], starts[at + 1] - starts[at]);
    }
};

}  // namespace

int compareSortKeys(QByteArrayView a, QByteArrayView b) {
    const int order = std::memcmp(a.data(), b.data(), std::size_t(std::min(a.size(), b.size())));
    if (order != 0)
        return order;
    return int(a.size() > b.size()) - int(a.size() < b.size());
}

bool appendSortKey(std::string& key, const CStatement& row, int at, bool text) {
    switch (row.type(at)) {
        case SQLITE_NULL:
            key += kNull;
            return true;
        case SQLITE_INTEGER: {
            const qint64 value = row.int64(at);
            if (value > kExactDoubleLimit || value < -kExactDoubleLimit)
                return false;
            key += kNumber;
            appendNumber(key, double(value));
            return true;
        }
        case SQLITE_FLOAT:
            key += kNumber;
            appendNumber(key, row.real(at));
            return true;
        case SQLITE_TEXT: {
            const QByteArrayView bytes = row.bytes(at);
            key += kText;
            if (text)
                appendNoCaseKey(key, bytes.data(), int(bytes.size()));
            else
                key.append(bytes.data(), std::size_t(bytes.size()));
            return true;
        }
        default: {
            const QByteArrayView blob = row.bytes(at);
            key += kBlob;
            key.append(blob.data(), std::size_t(blob.size()));
            return true;
        }
    }
}

bool sortsBefore(const RowSortKey& a, const RowSortKey& b,
                 std::span<const SortedKeyColumn> columns) {
    for (std::size_t c = 0; c < columns.size(); ++c) {
        int order = compareSortKeys(a.columns[c], b.columns[c]);
        if (columns[c].descending)
            order = -order;
        if (order != 0)
            return order < 0;
    }
    return a.rowKey < b.rowKey;
}

CRowSortKeyReader::CRowSortKeyReader(CDatabase& db, const QString& from,
                                     std::vector<SortedKeyColumn> columns)
    : m_columns(std::move(columns)) {
    QStringList selected;
    for (const SortedKeyColumn& column : m_columns)
        selected << column.sql;
    const QString list = selected.isEmpty() ? QStringLiteral("rowid") : selected.join(u", ");
    m_select = std::make_unique<CStatement>(
        db, QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?1").arg(list, from));
}

CRowSortKeyReader::~CRowSortKeyReader() = default;

CRowSortKeyReader::Outcome CRowSortKeyReader::read(qint64 rowKey, RowSortKey& key) {
    m_select->reset();
    m_select->bind(1, rowKey);
    if (!m_select->step())
        return Outcome::NoSuchRow;
    key.rowKey = rowKey;
    key.columns.assign(m_columns.size(), std::string());
    Outcome outcome = Outcome::Read;
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        if (!appendSortKey(key.columns[c], *m_select, int(c), m_columns[c].text)) {
            outcome = Outcome::Unordered;
            break;
        }
    }
    // The statement lets go of its read at once: the connection holds no snapshot between
    // changes.
    m_select->reset();
    return outcome;
}

std::optional<std::vector<qint64>> readSortedKeys(CDatabase& db, const QString& from,
                                                  const QString& where,
                                                  std::span<const SortedKeyColumn> columns) {
    QStringList selected;
    QStringList order;
    for (const SortedKeyColumn& column : columns) {
        selected << column.sql;
        // The other keys compare as their plain values; the keys built below do the same.
        // The server's own letter-case collation orders by language; the ASCII order of
        // the file's NOCASE is lower() of the bytes there.
        const QString text = db.isServer()
                                 ? QStringLiteral("lower(%1 COLLATE BINARY)").arg(column.sql)
                                 : column.sql + QStringLiteral(" COLLATE NOCASE");
        // The other keys are the server's numbers and moments, which take no collation.
        const QString plain =
            db.isServer() ? column.sql : column.sql + QStringLiteral(" COLLATE BINARY");
        // NULL is the least value, as in the keys; the server's default puts it last.
        const QString nulls = !db.isServer()      ? QString()
                              : column.descending ? QStringLiteral(" NULLS LAST")
                                                  : QStringLiteral(" NULLS FIRST");
        order << (column.text ? text : plain) +
                     (column.descending ? QStringLiteral(" DESC") : QString()) + nulls;
    }
    const QString orderBy = QStringLiteral(" ORDER BY %1, rowid").arg(order.join(u", "));
    if (std::none_of(columns.begin(), columns.end(),
                     [](const SortedKeyColumn& column) { return column.text; })) {
        // Numbers and moments: the engine's order is already the keys' order, and the
        // values need not come over, which matters most for a server's million contacts.
        CStatement rows(db, QStringLiteral("SELECT rowid FROM %1%2%3").arg(from, where, orderBy));
        std::vector<qint64> keys;
        while (rows.step())
            keys.push_back(rows.int64(0));
        return keys;
    }
    CStatement rows(db, QStringLiteral("SELECT rowid, %1 FROM %2%3%4")
                            .arg(selected.join(QStringLiteral(", ")), from, where, orderBy));

    KeyTable table;
    table.columnCount = columns.size();
    std::vector<std::uint32_t> plain;  // rows already in place, in the engine's order
    std::vector<std::uint32_t> others;
    while (rows.step()) {
        const auto row = static_cast<std::uint32_t>(table.rowKeys.size());
        table.rowKeys.push_back(rows.int64(0));
        bool inPlace = true;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const int at = int(c) + 1;
            table.starts.push_back(static_cast<std::uint32_t>(table.bytes.size()));
            if (!appendSortKey(table.bytes, rows, at, columns[c].text))
                return std::nullopt;
            if (columns[c].text && rows.type(at) == SQLITE_TEXT)
                inPlace = inPlace && isAscii(rows.bytes(at));
        }
        (inPlace ? plain : others).push_back(row);
        if (table.bytes.size() > UINT32_MAX)
            return std::nullopt;
    }
    table.starts.push_back(static_cast<std::uint32_t>(table.bytes.size()));

    const auto before = [&table, columns](std::uint32_t a, std::uint32_t b) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            int order = compareSortKeys(table.key(a, c), table.key(b, c));
            if (columns[c].descending)
                order = -order;
            if (order != 0)
                return order < 0;
        }
        return table.rowKeys[a] < table.rowKeys[b];
    };
    std::sort(others.begin(), others.end(), before);
    std::vector<std::uint32_t> merged(table.rowKeys.size());
    std::merge(plain.begin(), plain.end(), others.begin(), others.end(), merged.begin(), before);

    std::vector<qint64> keys;
    keys.reserve(merged.size());
    for (std::uint32_t row : merged)
        keys.push_back(table.rowKeys[row]);
    return keys;
}
