#include "data/SortedKeys.h"

#include "data/Database.h"

#include <sqlite3.h>

#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <string>
#include <string_view>

#include "data/FanOutSearch.h"
#include "data/NoCaseCollation.h"
#include "data/Schema.h"
#include "data/ServerNameOrder.h"
#include "data/SortedKeyCache.h"
#include "data/Statement.h"

namespace {

// The value classes in the engine's order.
enum Tag : char { kNull = 0, kNumber = 1, kText = 2, kBlob = 3 };

// Ten bytes whose unsigned order is the order of the numbers: the nearest double, then how
// far an integer lies from it. Integers beyond 2^53 share a double with their neighbours
// (at most 2^10 away up to 2^63), so the distance keeps them, and an integer and a real of
// equal double, apart.
void appendNumber(std::string& key, double value, int distance = 0) {
    if (value == 0)
        value = 0;  // -0 and 0 are equal
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    bits = (bits >> 63) ? ~bits : bits | (std::uint64_t(1) << 63);
    const auto biased = static_cast<std::uint16_t>(distance + 0x8000);
    const char bytes[10] = {
        static_cast<char>(bits >> 56),  static_cast<char>(bits >> 48),
        static_cast<char>(bits >> 40),  static_cast<char>(bits >> 32),
        static_cast<char>(bits >> 24),  static_cast<char>(bits >> 16),
        static_cast<char>(bits >> 8),   static_cast<char>(bits),
        static_cast<char>(biased >> 8), static_cast<char>(biased),
    };
    key.append(bytes, sizeof bytes);
}

void appendInteger(std::string& key, qint64 value) {
    const double nearest = double(value);
    // 2^63 itself (the nearest double of the largest integers) fits in 128 bits.
    appendNumber(key, nearest, int(__int128(value) - __int128(nearest)));
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

// Whether row `a` comes before row `b` by the keys from column `from` on, then by row key.
bool rowBefore(const KeyTable& table, std::span<const SortedKeyColumn> columns, std::size_t from,
               std::uint32_t a, std::uint32_t b) {
    for (std::size_t c = from; c < columns.size(); ++c) {
        int order = compareSortKeys(table.key(a, c), table.key(b, c));
        if (columns[c].descending)
            order = -order;
        if (order != 0)
            return order < 0;
    }
    return table.rowKeys[a] < table.rowKeys[b];
}

// The first eight bytes of a key as a number in the keys' order (a shorter key padded with
// zeros, which only makes it equal to its continuations), reversed for a descending key.
std::uint64_t leadingBytes(QByteArrayView key, bool descending) {
    std::uint64_t bytes = 0;
    for (qsizetype i = 0; i < 8; ++i)
        bytes = (bytes << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    return descending ? ~bytes : bytes;
}

// The distinct keys among many repeated ones, numbered in the order they are first met.
// Open addressing over copies of the keys: a million rows that name a few tens of thousands
// of persons look them up in slots and copies that stay in the processor's cache, and a
// slot's hash settles most comparisons without reading a key.
class DistinctKeys {
public:
    std::uint32_t numberOf(QByteArrayView key) {
        if ((m_starts.size() + 1) * 2 > m_slots.size())
            grow();
        const std::uint64_t hash = hashOf(key);
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
            Slot& slot = m_slots[at];
            if (slot.number == kEmpty) {
                slot = {hash, std::uint32_t(m_starts.size() - 1)};
                m_bytes.append(key.data(), std::size_t(key.size()));
                m_starts.push_back(m_bytes.size());
                return slot.number;
            }
            if (slot.hash == hash && this->key(slot.number) == key)
                return slot.number;
        }
    }
    std::uint32_t size() const { return std::uint32_t(m_starts.size() - 1); }
    QByteArrayView key(std::uint32_t number) const {
        return QByteArrayView(m_bytes.data() + m_starts[number],
                              qsizetype(m_starts[number + 1] - m_starts[number]));
    }

private:
    static constexpr std::uint32_t kEmpty = UINT32_MAX;
    struct Slot {
        std::uint64_t hash = 0;
        std::uint32_t number = kEmpty;
    };

    static std::uint64_t hashOf(QByteArrayView key) {
        return std::hash<std::string_view>()(std::string_view(key.data(), std::size_t(key.size())));
    }
    void grow() {
        std::vector<Slot> grown(std::max<std::size_t>(1024, m_slots.size() * 2));
        const std::size_t mask = grown.size() - 1;
        for (const Slot& slot : m_slots) {
            if (slot.number == kEmpty)
                continue;
            std::size_t at = slot.hash & mask;
            while (grown[at].number != kEmpty)
                at = (at + 1) & mask;
            grown[at] = slot;
        }
        m_slots = std::move(grown);
    }

    std::vector<Slot> m_slots;
    std::string m_bytes;
    std::vector<std::size_t> m_starts{0};
};

// Sorts rows as rowBefore orders them. Names repeat (a million contacts may name a few tens
// of thousands of persons), so the distinct first keys are sorted once and the rows by their
// rank, rather than comparing the same long keys again and again.
void sortRows(std::vector<std::uint32_t>& rows, const KeyTable& table,
              std::span<const SortedKeyColumn> columns) {
    DistinctKeys distinct;
    // The second key's leading bytes break most ties between equal first keys without
    // reaching into the key table: a number's whole key, a text's first eight bytes.
    struct Ranked {
        std::uint32_t rank;  // first the index of the row's key in `distinct`
        std::uint32_t row;
        std::uint64_t next = 0;  // after the second key's tag, in `nextTag`
        unsigned char nextTag = 0;
    };
    std::vector<Ranked> ranked;
    ranked.reserve(rows.size());
    for (std::uint32_t row : rows) {
        ranked.push_back({distinct.numberOf(table.key(row, 0)), row});
    }
    std::vector<std::uint32_t> order(distinct.size());
    std::iota(order.begin(), order.end(), 0u);
    const bool descending = columns[0].descending;
    std::sort(order.begin(), order.end(),
              [&distinct, descending](std::uint32_t a, std::uint32_t b) {
                  const int compared = compareSortKeys(distinct.key(a), distinct.key(b));
                  return descending ? compared > 0 : compared < 0;
              });
    std::vector<std::uint32_t> rankOf(distinct.size());
    for (std::uint32_t r = 0; r < order.size(); ++r)
        rankOf[order[r]] = r;
    for (Ranked& one : ranked) {
        one.rank = rankOf[one.rank];
        if (columns.size() > 1) {
            const QByteArrayView key = table.key(one.row, 1);
            const bool descending = columns[1].descending;
            const auto tag = static_cast<unsigned char>(key.isEmpty() ? 0 : key[0]);
            one.nextTag = descending ? static_cast<unsigned char>(~tag) : tag;
            one.next = leadingBytes(key.sliced(std::min<qsizetype>(1, key.size())), descending);
        }
    }
    // The ranks are few: the rows are placed by rank, and only rows of equal first keys are
    // compared with each other.
    std::vector<std::uint32_t> endOfRank(distinct.size() + 1, 0);
    for (const Ranked& one : ranked)
        ++endOfRank[one.rank + 1];
    std::partial_sum(endOfRank.begin(), endOfRank.end(), endOfRank.begin());
    std::vector<Ranked> byRank(ranked.size());
    for (const Ranked& one : ranked)
        byRank[endOfRank[one.rank]++] = one;
    auto begin = byRank.begin();
    for (std::size_t rank = 0; rank < distinct.size(); ++rank) {
        const auto end = byRank.begin() + endOfRank[rank];
        std::sort(begin, end, [&](const Ranked& a, const Ranked& b) {
            if (a.nextTag != b.nextTag)
                return a.nextTag < b.nextTag;
            if (a.next != b.next)
                return a.next < b.next;
            return rowBefore(table, columns, 1, a.row, b.row);
        });
        begin = end;
    }
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = byRank[i].row;
}

}  // namespace

int compareSortKeys(QByteArrayView a, QByteArrayView b) {
    const int order = std::memcmp(a.data(), b.data(), std::size_t(std::min(a.size(), b.size())));
    if (order != 0)
        return order;
    return int(a.size() > b.size()) - int(a.size() < b.size());
}

void appendSortKey(std::string& key, const CStatement& row, int at, bool text) {
    switch (row.type(at)) {
        case SQLITE_NULL:
            key += kNull;
            return;
        case SQLITE_INTEGER:
            key += kNumber;
            appendInteger(key, row.int64(at));
            return;
        case SQLITE_FLOAT:
            key += kNumber;
            appendNumber(key, row.real(at));
            return;
        case SQLITE_TEXT: {
            const QByteArrayView bytes = row.bytes(at);
            key += kText;
            if (text)
                appendNoCaseKey(key, bytes.data(), int(bytes.size()));
            else
                key.append(bytes.data(), std::size_t(bytes.size()));
            return;
        }
        default: {
            const QByteArrayView blob = row.bytes(at);
            key += kBlob;
            key.append(blob.data(), std::size_t(blob.size()));
            return;
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

namespace {

QString keyColumnList(std::span<const SortedKeyColumn> columns) {
    QStringList selected;
    for (const SortedKeyColumn& column : columns)
        selected << column.sql;
    return selected.isEmpty() ? QStringLiteral("rowid") : selected.join(u", ");
}

}  // namespace

CRowSortKeyReader::CRowSortKeyReader(CDatabase& db, const QString& from,
                                     std::vector<SortedKeyColumn> columns)
    : m_db(db), m_from(from), m_columns(std::move(columns)) {
    m_select = std::make_unique<CStatement>(
        db,
        QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?1").arg(keyColumnList(m_columns), from));
}

CRowSortKeyReader::~CRowSortKeyReader() = default;

void CRowSortKeyReader::keyOf(const CStatement& row, int first, RowSortKey& key) const {
    key.columns.assign(m_columns.size(), std::string());
    for (std::size_t c = 0; c < m_columns.size(); ++c)
        appendSortKey(key.columns[c], row, first + int(c), m_columns[c].text);
}

CRowSortKeyReader::Outcome CRowSortKeyReader::read(qint64 rowKey, RowSortKey& key) {
    m_select->reset();
    m_select->bind(1, rowKey);
    if (!m_select->step())
        return Outcome::NoSuchRow;
    key.rowKey = rowKey;
    keyOf(*m_select, 0, key);
    // The statement lets go of its read at once: the connection holds no snapshot between
    // changes.
    m_select->reset();
    return Outcome::Read;
}

qsizetype CRowSortKeyReader::rowsPerRead() const {
    return m_db.isServer() ? kServerRowsPerRound : 1;
}

std::unordered_map<qint64, RowSortKey> CRowSortKeyReader::readSome(
    std::span<const qint64> rowKeys) {
    std::unordered_map<qint64, RowSortKey> keys;
    // A file answers one row as fast as many, through the statement prepared already.
    if (rowKeys.size() == 1 || !m_db.isServer()) {
        for (const qint64 rowKey : rowKeys) {
            RowSortKey key;
            if (read(rowKey, key) == Outcome::Read)
                keys.emplace(rowKey, std::move(key));
        }
        return keys;
    }
    for (std::size_t start = 0; start < rowKeys.size();
         start += std::size_t(kMostRowsPerStatement)) {
        const auto part = rowKeys.subspan(
            start, std::min(rowKeys.size() - start, std::size_t(kMostRowsPerStatement)));
        // Statements of a few sizes serve every part; the places a short part leaves over
        // ask for its last row again.
        qsizetype places = 32;
        while (places < qsizetype(part.size()))
            places *= 2;
        std::unique_ptr<CStatement>& select = m_selectSome[places];
        if (!select) {
            QStringList marks;
            for (qsizetype i = 1; i <= places; ++i)
                marks << QStringLiteral("?%1").arg(i);
            select = std::make_unique<CStatement>(
                m_db, QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid IN (%3)")
                          .arg(keyColumnList(m_columns), m_from, marks.join(u", ")));
        }
        select->reset();
        for (qsizetype i = 0; i < places; ++i)
            select->bind(int(i) + 1, part[std::min(std::size_t(i), part.size() - 1)]);
        while (select->step()) {
            RowSortKey key;
            key.rowKey = select->int64(0);
            keyOf(*select, 1, key);
            keys.emplace(key.rowKey, std::move(key));
        }
        select->reset();
    }
    return keys;
}

namespace {

// A table's or column's name without its quotes ("[Person]", "`Person`" or "Person").
QStringView bareName(QStringView name) {
    if (name.size() >= 2 && ((name.front() == u'[' && name.back() == u']') ||
                             (name.front() == u'`' && name.back() == u'`')))
        return name.sliced(1, name.size() - 2);
    return name;
}

bool sameName(QStringView quoted, const char* name) {
    return name && bareName(quoted).compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

// Whether the rows of the table `from`, in the ascending order of `columns` and then of the
// key, are in the order of one of `indexes` (a server's indexes end with the key), or with
// `whole`, in the order of all of one's columns.
bool anIndexHasTheOrder(std::span<const schema::IndexDef> indexes, const QString& from,
                        std::span<const SortedKeyColumn> columns, bool whole = false) {
    if (columns.empty() || columns.size() > 2 ||
        std::any_of(columns.begin(), columns.end(),
                    [](const SortedKeyColumn& column) { return column.descending; }))
        return false;
    return std::any_of(indexes.begin(), indexes.end(), [&](const schema::IndexDef& index) {
        const std::size_t size = index.second ? 2 : 1;
        return sameName(from, index.table) && sameName(columns[0].sql, index.first) &&
               (columns.size() == 1 ? !whole || size == 1 : sameName(columns[1].sql, index.second));
    });
}

std::vector<qint64> readRowKeys(CDatabase& db, const QString& sql) {
    CStatement rows(db, sql);
    std::vector<qint64> keys;
    while (rows.step())
        keys.push_back(rows.int64(0));
    return keys;
}

std::optional<std::vector<qint64>> readFromStore(CDatabase& db, const QString& from,
                                                 const QString& where,
                                                 std::span<const SortedKeyColumn> columns) {
    QStringList order;
    for (const SortedKeyColumn& column : columns) {
        // The file's NOCASE is the right order of every ASCII text; the other keys compare
        // as their plain values, as the keys built below do. On the server those are
        // numbers and moments, which take no collation.
        const QString collated =
            db.isServer() ? column.sql
                          : column.sql + (column.text ? QStringLiteral(" COLLATE NOCASE")
                                                      : QStringLiteral(" COLLATE BINARY"));
        order << collated + (column.descending ? QStringLiteral(" DESC") : QString());
    }
    const QString orderBy = QStringLiteral(" ORDER BY %1, rowid").arg(order.join(u", "));
    if (std::none_of(columns.begin(), columns.end(),
                     [](const SortedKeyColumn& column) { return column.text; })) {
        // Numbers and moments: the engine's order is already the keys' order, and the
        // values need not come over, which matters most for a server's million contacts.
        return readRowKeys(db,
                           QStringLiteral("SELECT rowid FROM %1%2%3").arg(from, where, orderBy));
    }
    if (db.isServer() && where.isEmpty() &&
        std::all_of(columns.begin(), columns.end(),
                    [](const SortedKeyColumn& column) { return column.text; }) &&
        anIndexHasTheOrder(servernameorder::indexes(), from, columns, true) &&
        servernameorder::foldsAsThisProgram(db))
        return readRowKeys(db, QStringLiteral("SELECT rowid FROM %1 ORDER BY %2")
                                   .arg(from, servernameorder::orderBy(columns)));
    // The server orders texts by language, not as the file does, so its rows are sorted
    // here. Where an index has the order, they are read in it: the index holds the keys in
    // fewer pages than the table, and the rows whose texts are ASCII then come in the keys'
    // order but for a few with punctuation, so that only the others need sorting. Otherwise
    // they come in any order, which spares the server a sort of a million rows.
    const bool sortHere = db.isServer();
    const bool indexOrder =
        sortHere && where.isEmpty() && anIndexHasTheOrder(schema::indexes(), from, columns);
    // On the server "rowid" is the column "id": a key of [id] is the row key, which a
    // million rows need not bring twice. Each key's place in the result, -1 for the row key.
    std::vector<int> resultColumn;
    QStringList read;
    for (const SortedKeyColumn& column : columns) {
        const bool isRowKey =
            sortHere && column.sql.compare(QLatin1String("[id]"), Qt::CaseInsensitive) == 0;
        resultColumn.push_back(isRowKey ? -1 : int(read.size()) + 1);
        if (!isRowKey)
            read << column.sql;
    }
    CStatement rows(db, QStringLiteral("SELECT rowid, %1 FROM %2%3%4")
                            .arg(read.join(QStringLiteral(", ")), from, where,
                                 sortHere && !indexOrder ? QString() : orderBy));

    KeyTable table;
    table.columnCount = columns.size();
    std::vector<std::uint32_t> plain;  // rows already in place, in the engine's order
    std::vector<std::uint32_t> others;
    while (rows.step()) {
        const auto row = static_cast<std::uint32_t>(table.rowKeys.size());
        const qint64 rowKey = rows.int64(0);
        table.rowKeys.push_back(rowKey);
        bool inPlace = !sortHere || indexOrder;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const int at = resultColumn[c];
            table.starts.push_back(static_cast<std::uint32_t>(table.bytes.size()));
            if (at < 0) {
                table.bytes += kNumber;
                appendInteger(table.bytes, rowKey);
                continue;
            }
            appendSortKey(table.bytes, rows, at, columns[c].text);
            if (columns[c].text && rows.type(at) == SQLITE_TEXT)
                inPlace = inPlace && isAscii(rows.bytes(at));
        }
        // An ASCII row from the server's index stays in place if it follows the last row
        // that did: the rows in place are in the keys' order whatever the server's.
        if (indexOrder && inPlace)
            inPlace = plain.empty() || rowBefore(table, columns, 0, plain.back(), row);
        (inPlace ? plain : others).push_back(row);
        if (table.bytes.size() > UINT32_MAX)
            return std::nullopt;
    }
    table.starts.push_back(static_cast<std::uint32_t>(table.bytes.size()));

    sortRows(others, table, columns);
    std::vector<std::uint32_t> merged(table.rowKeys.size());
    std::merge(plain.begin(), plain.end(), others.begin(), others.end(), merged.begin(),
               [&table, columns](std::uint32_t a, std::uint32_t b) {
                   return rowBefore(table, columns, 0, a, b);
               });

    std::vector<qint64> keys;
    keys.reserve(merged.size());
    for (std::uint32_t row : merged)
        keys.push_back(table.rowKeys[row]);
    return keys;
}

}  // namespace

std::optional<std::vector<qint64>> readSortedKeys(CDatabase& db, const QString& from,
                                                  const QString& where,
                                                  std::span<const SortedKeyColumn> columns) {
    // Inside a transaction the connection sees its own writes before they are announced.
    const std::optional<CSortedKeyCache::Order> order =
        db.inTransaction() ? std::nullopt
                           : CSortedKeyCache::orderOf(db.GetName(), from, where, columns);
    if (!order)
        return readFromStore(db, from, where, columns);
    CSortedKeyCache& cache = sortedKeyCache();
    if (auto kept = cache.find(*order))
        return kept;
    const CSortedKeyCache::Ticket ticket = cache.ticket();
    std::optional<std::vector<qint64>> keys = readFromStore(db, from, where, columns);
    if (keys)
        cache.keep(*order, ticket, *keys);
    return keys;
}
