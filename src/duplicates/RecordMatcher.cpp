#include "duplicates/RecordMatcher.h"

#include <QVarLengthArray>
#include <bit>
#include <utility>

#include "data/RecordReads.h"

namespace duplicates {

bool CRecordMatcher::Match::isProbablySame() const {
    const MatchReasons byName = bitOf(MatchReason::SameName) | bitOf(MatchReason::SwappedNames);
    const MatchReasons byAddress = bitOf(MatchReason::SameEmail) | bitOf(MatchReason::SamePhone);
    return (reasons & byName) != 0 || (reasons & byAddress) == byAddress;
}

void CRecordMatcher::add(qint32 id, const PartyKeys& keys) {
    const auto addTo = [id](Index& index, const QStringList& added) {
        for (const QString& key : added)
            index[key].append(id);
    };
    addTo(m_names, keys.names);
    addTo(m_emails, keys.emails);
    addTo(m_phones, keys.phones);
}

void CRecordMatcher::remove(qint32 id, const PartyKeys& keys) {
    const auto removeFrom = [id](Index& index, const QStringList& removed) {
        for (const QString& key : removed) {
            const auto found = index.find(key);
            if (found == index.end())
                continue;
            found->removeOne(id);
            if (found->isEmpty())
                index.erase(found);
        }
    };
    removeFrom(m_names, keys.names);
    removeFrom(m_emails, keys.emails);
    removeFrom(m_phones, keys.phones);
}

std::optional<CRecordMatcher::Match> CRecordMatcher::find(const PartyKeys& keys) const {
    QVarLengthArray<Match, 8> candidates;
    const auto note = [&candidates](qint32 id, MatchReason reason) {
        for (Match& candidate : candidates)
            if (candidate.id == id) {
                candidate.reasons |= bitOf(reason);
                return;
            }
        candidates.append({id, bitOf(reason)});
    };
    // A key speaks for the first record that has it.
    const auto look = [&note](const Index& index, const QStringList& wanted, MatchReason reason) {
        for (const QString& key : wanted)
            if (const auto found = index.constFind(key); found != index.cend())
                note(found->front(), reason);
    };
    look(m_names, keys.names, MatchReason::SameName);
    look(m_names, keys.swapped, MatchReason::SwappedNames);
    look(m_emails, keys.emails, MatchReason::SameEmail);
    look(m_phones, keys.phones, MatchReason::SamePhone);
    if (candidates.isEmpty())
        return std::nullopt;
    // The strongest single reason wins; of equal ones, the record with more reasons.
    const Match* best = &candidates.front();
    for (const Match& candidate : candidates) {
        const auto rank = [](const Match& m) {
            return std::pair(-int(m.reason()), std::popcount(m.reasons));
        };
        if (rank(candidate) > rank(*best))
            best = &candidate;
    }
    return *best;
}

CRecordMatcher loadMatcher(CDatabase& db, PartyKind kind) {
    CRecordMatcher matcher(kind);
    forEachRecordTexts(
        db, tableOf(kind), matchColumns(kind),
        [&matcher, kind](qint32 id, const QStringList& values) {
            matcher.add(id, keysOf(kind, std::span<const QString>(values.cbegin(), values.cend())));
        });
    return matcher;
}

}  // namespace duplicates
