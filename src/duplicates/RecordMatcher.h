#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <optional>

#include "duplicates/MatchReason.h"
#include "duplicates/PartyKeys.h"

class CDatabase;

namespace duplicates {

// Finds, for a record on its way in (an import, a sync), the record of the file that it
// probably is: the one rule that "Find duplicates" applies too. Look-ups are by hash, so
// checking a file of records against a large table costs one pass over each.
class CRecordMatcher {
public:
    struct Match {
        qint32 id = 0;
        MatchReasons reasons = 0;

        MatchReason reason() const { return strongestReason(reasons); }
        // Whether the match is strong enough to take the record for one already there: a
        // name, or an e-mail and a phone together. An e-mail or a phone alone is often
        // shared (an office's switchboard, an info@ address) by people who are not one.
        bool isProbablySame() const;
    };

    explicit CRecordMatcher(PartyKind kind) : m_kind(kind) {}

    PartyKind kind() const { return m_kind; }
    void add(qint32 id, const PartyKeys& keys);
    // Forgets a record added with these keys: a record that a sync has paired with a card
    // is not offered for the next one.
    void remove(qint32 id, const PartyKeys& keys);
    // The record with the strongest reasons to be the same as one with these keys; of
    // equal ones the first added.
    std::optional<Match> find(const PartyKeys& keys) const;

private:
    using Index = QHash<QString, QList<qint32>>;

    PartyKind m_kind;
    // The records of each key, in the order they were added.
    Index m_names, m_emails, m_phones;
};

// A matcher that knows every record of the kind in the file. Database failures throw
// CDbException.
CRecordMatcher loadMatcher(CDatabase& db, PartyKind kind);

}  // namespace duplicates
