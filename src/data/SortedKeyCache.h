#pragma once

#include <QHash>
#include <QMutex>
#include <QString>
#include <list>
#include <optional>
#include <span>
#include <vector>

#include "data/SortedKeys.h"

struct DataChange;

// The row keys that sorted reads of whole tables gave lately, until a change of their table
// is announced: a window that opens on the order another window has just read (the person
// form beside the person list, a list opened again) takes the keys instead of reading every
// row of the table once more.
//
// The change notifier tells the cache of every announcement before any subscriber hears of
// it, so that a subscriber that reads again gets the rows as they are now. A read that was
// under way while a change of its table was announced is not kept: it may have missed it.
// Only whole tables in an order of plain columns are kept (a condition may depend on other
// tables), and only reads outside a transaction (a transaction sees its own writes before
// they are announced, and a rollback announces nothing).
//
// Reads run on any thread; every member takes the cache's lock.
class CSortedKeyCache {
public:
    // How many keys the cache holds at most, over all its orders (4 bytes each): the
    // orders read longest ago go first. An order of more keys than kMostKeysOfAnOrder is not
    // kept: the tables that windows open on by name (persons, firms, alarms, groups) fit
    // many times, and a million contacts would push them out.
    static constexpr std::size_t kMostKeys = std::size_t{1} << 20;
    static constexpr std::size_t kMostKeysOfAnOrder = std::size_t{1} << 18;

    // What a read is of: the store (a file's path or a server's address), the table, and
    // the order. Not cacheable (nullopt) for a condition or an order of expressions.
    struct Order {
        QString store;
        QString table;
        QString columns;
        bool operator==(const Order&) const = default;
    };
    static std::optional<Order> orderOf(const QString& store, const QString& from,
                                        const QString& where,
                                        std::span<const SortedKeyColumn> columns);

    // Taken before a read begins, handed to keep() after it: what was announced meanwhile.
    using Ticket = quint64;
    Ticket ticket();

    // The keys of the order, as the last read gave them, when no change of its table was
    // announced since.
    std::optional<std::vector<qint64>> find(const Order& order);
    // Keeps the keys that a read begun at `ticket` gave, unless a change of the table was
    // announced since then, or a key is beyond what the cache holds (4 bytes).
    void keep(const Order& order, Ticket ticket, const std::vector<qint64>& keys);
    // Forgets the orders of the tables the change touches (every order when it says that
    // everything changed).
    void forget(const DataChange& change);

private:
    struct Entry {
        Order order;
        std::vector<qint32> keys;
    };
    void evictBeyond(std::size_t keys);

    QMutex m_lock;
    // Most recently used first.
    std::list<Entry> m_entries;
    std::size_t m_keys = 0;
    Ticket m_announcements = 0;
    // The announcement that last touched each table (lower case), and the last one that
    // touched every table.
    QHash<QString, Ticket> m_lastChangeOf;
    Ticket m_lastChangeOfAll = 0;
};

// The process-wide cache, beside the change notifier that keeps it current.
CSortedKeyCache& sortedKeyCache();
