#include "data/SortedKeyCache.h"

#include <QMutexLocker>
#include <QRegularExpression>
#include <limits>

#include "data/ChangeNotifier.h"

namespace {

// A table's or column's name without its quotes, in lower case; empty when the text is more
// than a name.
QString plainName(const QString& sql) {
    static const QRegularExpression name(
        QStringLiteral(R"re(^\s*(?:\[(\w+)\]|`(\w+)`|"(\w+)"|(\w+))\s*$)re"));
    const QRegularExpressionMatch match = name.match(sql);
    if (!match.hasMatch())
        return {};
    for (int group = 1; group <= 4; ++group) {
        if (match.hasCaptured(group))
            return match.captured(group).toLower();
    }
    return {};
}

}  // namespace

std::optional<CSortedKeyCache::Order> CSortedKeyCache::orderOf(
    const QString& store, const QString& from, const QString& where,
    std::span<const SortedKeyColumn> columns) {
    if (!where.trimmed().isEmpty())
        return std::nullopt;
    const QString table = plainName(from);
    if (table.isEmpty())
        return std::nullopt;
    // The rows of equal keys follow their row keys upwards anyway: a last key of the id
    // upwards asks for the same order as none.
    std::size_t count = columns.size();
    if (count > 0 && !columns[count - 1].descending && !columns[count - 1].text &&
        plainName(columns[count - 1].sql) == QLatin1String("id"))
        --count;
    QString described;
    for (const SortedKeyColumn& column : columns.first(count)) {
        const QString name = plainName(column.sql);
        if (name.isEmpty())
            return std::nullopt;
        described += name + (column.text ? u'~' : u'=') + (column.descending ? u'-' : u'+');
    }
    return Order{store, table, described};
}

CSortedKeyCache::Ticket CSortedKeyCache::ticket() {
    QMutexLocker locker(&m_lock);
    return m_announcements;
}

std::optional<std::vector<qint64>> CSortedKeyCache::find(const Order& order) {
    QMutexLocker locker(&m_lock);
    for (auto entry = m_entries.begin(); entry != m_entries.end(); ++entry) {
        if (entry->order == order) {
            m_entries.splice(m_entries.begin(), m_entries, entry);
            return std::vector<qint64>(entry->keys.begin(), entry->keys.end());
        }
    }
    return std::nullopt;
}

void CSortedKeyCache::keep(const Order& order, Ticket ticket, const std::vector<qint64>& keys) {
    if (keys.size() > kMostKeysOfAnOrder)
        return;
    std::vector<qint32> narrow;
    narrow.reserve(keys.size());
    for (const qint64 key : keys) {
        if (key < std::numeric_limits<qint32>::min() || key > std::numeric_limits<qint32>::max())
            return;
        narrow.push_back(static_cast<qint32>(key));
    }
    QMutexLocker locker(&m_lock);
    if (m_lastChangeOfAll > ticket || m_lastChangeOf.value(order.table) > ticket)
        return;
    for (auto entry = m_entries.begin(); entry != m_entries.end(); ++entry) {
        if (entry->order == order) {
            m_keys -= entry->keys.size();
            m_entries.erase(entry);
            break;
        }
    }
    evictBeyond(kMostKeys - narrow.size());
    m_keys += narrow.size();
    m_entries.push_front({order, std::move(narrow)});
}

void CSortedKeyCache::forget(const DataChange& change) {
    QMutexLocker locker(&m_lock);
    ++m_announcements;
    if (change.everything) {
        m_lastChangeOfAll = m_announcements;
        m_entries.clear();
        m_keys = 0;
        return;
    }
    for (const TableChange& table : change.tables)
        m_lastChangeOf[table.table.toLower()] = m_announcements;
    for (auto entry = m_entries.begin(); entry != m_entries.end();) {
        if (change.table(entry->order.table)) {
            m_keys -= entry->keys.size();
            entry = m_entries.erase(entry);
        } else {
            ++entry;
        }
    }
}

void CSortedKeyCache::evictBeyond(std::size_t keys) {
    while (m_keys > keys && !m_entries.empty()) {
        m_keys -= m_entries.back().keys.size();
        m_entries.pop_back();
    }
}

CSortedKeyCache& sortedKeyCache() {
    static CSortedKeyCache cache;
    return cache;
}
