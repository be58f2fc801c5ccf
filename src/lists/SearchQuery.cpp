#include "lists/SearchQuery.h"

#include <QHash>
#include <array>
#include <future>

#include "data/Connection.h"
#include "data/Database.h"
#include "data/RecordSource.h"
#include "data/SqlDialect.h"
#include "data/Statement.h"

namespace {

constexpr std::array<const char*, 5> kContactColumns{"date", "description", "firm", "person",
                                                     "time"};
constexpr std::array<const char*, 12> kPersonColumns{
    "address_home",    "description",   "firm",    "firstname",  "lastname",
    "title",           "function",      "[group]", "email_home", "phone_home1",
    "phone_bussines1", "email_bussines"};
constexpr std::array<const char*, 13> kFirmColumns{
    "name",     "address", "description", "email1", "fax1", "phone1", "title",
    "function", "person",  "[group]",     "phone2", "fax2", "web"};
// An alarm is also found by its subject (`name`), which its result line shows first.
constexpr std::array<const char*, 6> kAlarmColumns{"date",   "description", "firm",
                                                   "person", "time",        "name"};

const std::array<SearchCategory, kSearchKindCount> kCategories{{
    {SearchKind::Contact, "Contacts", "contact", kContactColumns, "Contact: %1 Firm: %2",
     "[person], [firm]", "contact", "contact"},
    {SearchKind::Person, "Persons", "person", kPersonColumns, "Person: %1 Firm: %2",
     "[lastname], [firstname], [firm]", "person", "person"},
    {SearchKind::Firm, "Firms", "firm", kFirmColumns, "Firm: %1 Group: %2", "[name], [group]",
     "firm", "firm"},
    {SearchKind::Alarm, "Alarms", "alarm", kAlarmColumns, "Alarm: %1 Person: %2",
     "[name], [person]", "alarm", "alarm"},
}};

}  // namespace

const SearchCategory& searchCategory(SearchKind kind) {
    return kCategories[static_cast<std::size_t>(kind)];
}

QString searchPattern(const QString& typedText) {
    QString pattern = QStringLiteral("*");
    pattern.reserve(typedText.size() + 8);
    for (const QChar c : typedText) {
        if (c == u'[' || c == u'#')
            pattern += u'[' + QString(c) + u']';
        else if (c == u'\'')
            pattern += QStringLiteral("''");
        else
            pattern += c;
    }
    return pattern + u'*';
}

QString searchCondition(SearchKind kind, const QString& typedText) {
    const QString pattern = searchPattern(typedText);
    QStringList parts;
    for (const char* column : searchCategory(kind).searched)
        parts << QStringLiteral("%1 like '%2'").arg(QLatin1String(column), pattern);
    return parts.join(QStringLiteral(" or "));
}

namespace {

std::vector<qint32> keysWhere(CDatabase& db, const QString& table, const QString& condition) {
    const CRecordSource source(db, table, condition, QString(), CRecordSource::Mode::Keyset);
    const std::vector<qint64> keys = source.readKeys();
    return std::vector<qint32>(keys.begin(), keys.end());
}

qint64 lastId(CDatabase& db, const QString& table) {
    CStatement last(db, toSqlite(QStringLiteral("Select max([id]) From [%1]").arg(table)));
    return last.step() ? last.int64(0) : 0;
}

}  // namespace

std::vector<qint32> findRecords(CDatabase& db, SearchKind kind, const QString& typedText) {
    const QString table = QString::fromLatin1(searchCategory(kind).table);
    const QString condition = searchCondition(kind, typedText);
    // A large table is searched in two halves at once, the first on a read-only connection
    // of its own on a thread of its own; the halves together give the ids in the order
    // of one search.
    constexpr qint64 kRowsWorthASecondThread = 200000;
    const qint64 last = lastId(db, table);
    if (last < kRowsWorthASecondThread)
        return keysWhere(db, table, condition);
    const qint64 middle = last / 2;
    auto firstHalf = std::async(std::launch::async, [path = db.GetName(), password = db.password(),
                                                     table, condition, middle] {
        CDatabase own;
        own.Open(path, false, true, connectText(password));
        return keysWhere(own, table,
                         QStringLiteral("(%1) And [id] <= %2").arg(condition).arg(middle));
    });
    const std::vector<qint32> secondHalf =
        keysWhere(db, table, QStringLiteral("(%1) And [id] > %2").arg(condition).arg(middle));
    std::vector<qint32> ids = firstHalf.get();
    ids.insert(ids.end(), secondHalf.begin(), secondHalf.end());
    return ids;
}

QStringList resultLines(CDatabase& db, SearchKind kind, std::span<const qint32> ids) {
    QStringList lines(static_cast<qsizetype>(ids.size()));
    if (ids.empty())
        return lines;
    const SearchCategory& category = searchCategory(kind);
    QString list;
    for (qint32 id : ids) {
        if (!list.isEmpty())
            list += u',';
        list += QString::number(id);
    }
    CStatement select(db, toSqlite(QStringLiteral("Select [id], %1 From [%2] Where [id] In (%3)")
                                       .arg(QLatin1String(category.lineColumns),
                                            QLatin1String(category.table), list)));
    QHash<qint32, QString> byId;
    const QString format = QString::fromLatin1(category.lineFormat);
    while (select.step()) {
        // A person is shown by the display name: last name, one blank, first name.
        const QString line =
            kind == SearchKind::Person
                ? format.arg(select.text(1) + u' ' + select.text(2), select.text(3))
                : format.arg(select.text(1), select.text(2));
        byId.insert(static_cast<qint32>(select.int64(0)), line);
    }
    for (std::size_t i = 0; i < ids.size(); ++i)
        lines[static_cast<qsizetype>(i)] = byId.value(ids[i]);
    return lines;
}
