#pragma once

#include <QHash>
#include <QString>
#include <QVarLengthArray>
#include <vector>

#include "duplicates/MatchReason.h"
#include "duplicates/NotDuplicates.h"
#include "duplicates/PartyKeys.h"

namespace duplicates {

// Records that are probably one, and why.
struct DuplicateGroup {
    std::vector<qint32> ids;  // ascending
    MatchReasons reasons = 0;
};

// Gathers records of one kind and puts those that are probably one into groups: records
// sharing a key are joined, and so are their groups, so the cost is one pass and hash
// look-ups, never a comparison of every pair.
//
// An e-mail or a phone that more than `kSharedKeyLimit` records have is taken for a shared
// one (a switchboard, an info@ address) and joins nobody; names always join.
class CDuplicateFinder {
public:
    static constexpr int kSharedKeyLimit = 10;

    CDuplicateFinder(PartyKind kind, CNotDuplicates notDuplicates);

    // A record with its values in the order of matchColumns(kind).
    void add(qint32 id, std::span<const QString> values);
    // The groups of two or more records, each by its lowest id, in the order of those ids.
    std::vector<DuplicateGroup> groups() const;

private:
    using Members = QVarLengthArray<int, 2>;

    PartyKind m_kind;
    CNotDuplicates m_notDuplicates;
    std::vector<qint32> m_ids;
    // Rows by name, e-mail and phone key.
    QHash<QString, Members> m_byName, m_byEmail, m_byPhone;
    std::vector<std::pair<int, QString>> m_swapped;
};

}  // namespace duplicates
