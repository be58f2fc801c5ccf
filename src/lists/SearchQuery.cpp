#include "lists/SearchQuery.h"

#include <array>
#include <future>

#include "data/Connection.h"
#include "data/Database.h"
#include "data/RecordReads.h"
#include "data/StopOnRequest.h"

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

constexpr std::array<const char*, 2> kContactLine{"person", "firm"};
constexpr std::array<const char*, 3> kPersonLine{"lastname", "firstname", "firm"};
constexpr std::array<const char*, 2> kFirmLine{"name", "group"};
constexpr std::array<const char*, 2> kAlarmLine{"name", "person"};

const std::array<SearchCategory, kSearchKindCount> kCategories{{
    {SearchKind::Contact, "Contacts", "contact", kContactColumns, "Contact: %1 Firm: %2",
     kContactLine, "contact", "contact"},
    {SearchKind::Person, "Persons", "person", kPersonColumns, "Person: %1 Firm: %2", kPersonLine,
     "person", "person"},
    {SearchKind::Firm, "Firms", "firm", kFirmColumns, "Firm: %1 Group: %2", kFirmLine, "firm",
     "firm"},
    {SearchKind::Alarm, "Alarms", "alarm", kAlarmColumns, "Alarm: %1 Person: %2", kAlarmLine,
     "alarm", "alarm"},
}};

QString tableOf(SearchKind kind) {
    return QString::fromLatin1(searchCategory(kind).table);
}

}  // namespace

const SearchCategory& searchCategory(SearchKind kind) {
    return kCategories[static_cast<std::size_t>(kind)];
}

bool searchKindOfTable(QStringView table, SearchKind& kind) {
    for (const SearchCategory& category : kCategories) {
        if (table.compare(QLatin1String(category.table), Qt::CaseInsensitive) == 0) {
            kind = category.kind;
            return true;
        }
    }
    return false;
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

std::vector<qint32> findRecords(CDatabase& db, SearchKind kind, const QString& typedText,
                                const std::stop_token& stop) {
    const QString table = tableOf(kind);
    const QString condition = searchCondition(kind, typedText);
    // A server spreads one statement over its own workers.
    if (db.isServer())
        return recordIdsWhere(db, table, condition);
    // On the file, a large table is searched in two halves at once, the first on a read-only
    // connection of its own on a thread of its own, which the same stop ends; the halves
    // together give the ids in the order of one search.
    constexpr qint64 kRowsWorthASecondThread = 200000;
    const qint64 last = lastRecordId(db, table);
    if (last < kRowsWorthASecondThread)
        return recordIdsWhere(db, table, condition);
    const qint64 middle = last / 2;
    auto firstHalf = std::async(std::launch::async, [path = db.GetName(), password = db.password(),
                                                     table, condition, middle, stop] {
        CDatabase own;
        own.Open(path, false, true, connectText(password));
        const CStopOnRequest stopper(own, stop);
        return recordIdsWhere(own, table, condition, {1, middle});
    });
    const std::vector<qint32> secondHalf = recordIdsWhere(db, table, condition, {middle + 1, last});
    std::vector<qint32> ids = firstHalf.get();
    ids.insert(ids.end(), secondHalf.begin(), secondHalf.end());
    return ids;
}

std::vector<qint32> recordsStillFound(CDatabase& db, SearchKind kind, const QString& typedText,
                                      std::span<const qint32> ids) {
    return recordIdsAmong(db, tableOf(kind), searchCondition(kind, typedText), ids);
}

QStringList resultLines(CDatabase& db, SearchKind kind, std::span<const qint32> ids) {
    const SearchCategory& category = searchCategory(kind);
    QStringList columns;
    for (const char* column : category.lineColumns)
        columns << QString::fromLatin1(column);
    const QHash<qint32, QStringList> texts = readRecordTexts(db, tableOf(kind), columns, ids);
    const QString format = QString::fromLatin1(category.lineFormat);
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(ids.size()));
    for (qint32 id : ids) {
        const auto it = texts.constFind(id);
        if (it == texts.constEnd()) {
            lines << QString();
            continue;
        }
        const QStringList& t = *it;
        // A person is shown by the display name: last name, one blank, first name.
        lines << (kind == SearchKind::Person ? format.arg(t[0] + u' ' + t[1], t[2])
                                             : format.arg(t[0], t[1]));
    }
    return lines;
}
