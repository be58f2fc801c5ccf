#include "duplicates/DuplicateSearch.h"

#include <algorithm>

#include "data/RecordReads.h"

namespace duplicates {

namespace {

constexpr int kProgressSteps = 100;

QString displayName(PartyKind kind, const QStringList& values) {
    // The name columns come first: a person's last, then first name.
    if (kind == PartyKind::Person)
        return (values.value(0) + u' ' + values.value(1)).trimmed();
    return values.value(0);
}

}  // namespace

DuplicateSearchResult findDuplicates(CDatabase& db, PartyKind kind,
                                     const CNotDuplicates& notDuplicates,
                                     const std::function<void(int percent)>& progress) {
    const QString table = tableOf(kind);
    const qint64 lastId = lastRecordId(db, table);
    CDuplicateFinder finder(kind, notDuplicates);
    // In id order, as the records are read.
    std::vector<qint32> ids;
    std::vector<QString> names;
    int shown = -1;
    forEachRecordTexts(db, table, matchColumns(kind), [&](qint32 id, const QStringList& values) {
        finder.add(id, std::span<const QString>(values.cbegin(), values.cend()));
        ids.push_back(id);
        names.push_back(displayName(kind, values));
        // Ids ascend, so the share of the last id read tells how far the pass is.
        const int percent = lastId > 0 ? int(id * kProgressSteps / lastId) : kProgressSteps;
        if (progress && percent != shown)
            progress(shown = percent);
    });
    DuplicateSearchResult result{kind, finder.groups(), {}};
    for (const DuplicateGroup& group : result.groups)
        for (qint32 id : group.ids)
            result.names.insert(
                id, names[std::size_t(std::lower_bound(ids.begin(), ids.end(), id) - ids.begin())]);
    return result;
}

}  // namespace duplicates
