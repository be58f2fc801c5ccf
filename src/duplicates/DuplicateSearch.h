#pragma once

#include <QHash>
#include <QString>
#include <functional>
#include <vector>

#include "duplicates/DuplicateFinder.h"

class CDatabase;

namespace duplicates {

// The groups of probable duplicates of one kind, with the name of each record in them.
struct DuplicateSearchResult {
    PartyKind kind = PartyKind::Person;
    std::vector<DuplicateGroup> groups;
    QHash<qint32, QString> names;  // display names: "lastname firstname", a firm's name
};

// Reads the records of the kind in one pass and groups them. `progress` hears how far the
// read is, from 0 to 100. Database failures throw CDbException.
DuplicateSearchResult findDuplicates(CDatabase& db, PartyKind kind,
                                     const CNotDuplicates& notDuplicates,
                                     const std::function<void(int percent)>& progress = {});

}  // namespace duplicates
