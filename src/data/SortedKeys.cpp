#include "data/SortedKeys.h"

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

int compareBytes(QByteArrayView a, QByteArrayView b) {
    const int order = std::memcmp(a.data(), b.data(), std::size_t(std::min(a.size(), b.size())));
    if (order != 0)
        return order;
    return int(a.size() > b.size()) - int(a.size() < b.size());
}

}  // namespace

std::optional<std::vector<qint64>> readSortedKeys(CDatabase& db, const QString& from,
                                                  const QString& where,
                                                  std::span<const SortedKeyColumn> columns) {
    QStringList selected;
    QStringList order;
    for (const SortedKeyColumn& column : columns) {
        selected << column.sql;
        // The other keys compare as their plain values; the keys built below do the same.
        order << column.sql +
                     (column.text ? QStringLiteral(" COLLATE NOCASE")
                                  : QStringLiteral(" COLLATE BINARY")) +
                     (column.descending ? QStringLiteral(" DESC") : QString());
    }
    CStatement rows(db, QStringLiteral("SELECT rowid, %1 FROM %2%3 ORDER BY %4, rowid")
                            .arg(selected.join(QStringLiteral(", ")), from, where,
                                 order.join(QStringLiteral(", "))));

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
            switch (rows.type(at)) {
                case SQLITE_NULL:
                    table.bytes += kNull;
                    break;
                case SQLITE_INTEGER: {
                    const qint64 value = rows.int64(at);
                    if (value > kExactDoubleLimit || value < -kExactDoubleLimit)
                        return std::nullopt;
                    table.bytes += kNumber;
                    appendNumber(table.bytes, double(value));
                    break;
                }
                case SQLITE_FLOAT:
                    table.bytes += kNumber;
                    appendNumber(table.bytes, rows.real(at));
                    break;
                case SQLITE_TEXT: {
                    const QByteArrayView text = rows.bytes(at);
                    table.bytes += kText;
                    if (columns[c].text) {
                        inPlace = inPlace && isAscii(text);
                        appendNoCaseKey(table.bytes, text.data(), int(text.size()));
                    } else {
                        table.bytes.append(text.data(), std::size_t(text.size()));
                    }
                    break;
                }
                default: {
                    const QByteArrayView blob = rows.bytes(at);
                    table.bytes += kBlob;
                    table.bytes.append(blob.data(), std::size_t(blob.size()));
                }
            }
        }
        (inPlace ? plain : others).push_back(row);
        if (table.bytes.size() > UINT32_MAX)
            return std::nullopt;
    }
    table.starts.push_back(static_cast<std::uint32_t>(table.bytes.size()));

    const auto before = [&table, columns](std::uint32_t a, std::uint32_t b) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            int order = compareBytes(table.key(a, c), table.key(b, c));
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
