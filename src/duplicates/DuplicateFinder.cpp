#include "duplicates/DuplicateFinder.h"

#include <algorithm>
#include <map>
#include <numeric>

namespace duplicates {

namespace {

constexpr QChar kNameKey = u'n';
constexpr QChar kEmailKey = u'e';
constexpr QChar kPhoneKey = u'p';

// Joined sets of rows with the reasons that joined them.
class RowSets {
public:
    explicit RowSets(std::size_t rows) : m_parent(rows), m_reasons(rows, 0) {
        std::iota(m_parent.begin(), m_parent.end(), 0);
    }

    int root(int row) {
        while (m_parent[row] != row) {
            m_parent[row] = m_parent[m_parent[row]];
            row = m_parent[row];
        }
        return row;
    }

    void join(int a, int b, MatchReason reason) {
        const int rootA = root(a), rootB = root(b);
        m_parent[rootB] = rootA;
        m_reasons[rootA] |= m_reasons[rootB] | bitOf(reason);
    }

    MatchReasons reasons(int root) const { return m_reasons[root]; }

private:
    std::vector<int> m_parent;
    std::vector<MatchReasons> m_reasons;
};

MatchReason reasonOf(QChar keyKind) {
    if (keyKind == kEmailKey)
        return MatchReason::SameEmail;
    if (keyKind == kPhoneKey)
        return MatchReason::SamePhone;
    return MatchReason::SameName;
}

}  // namespace

CDuplicateFinder::CDuplicateFinder(PartyKind kind, CNotDuplicates notDuplicates)
    : m_kind(kind), m_notDuplicates(std::move(notDuplicates)) {}

void CDuplicateFinder::add(qint32 id, std::span<const QString> values) {
    const int row = int(m_ids.size());
    m_ids.push_back(id);
    const PartyKeys keys = keysOf(m_kind, values);
    const auto file = [this, row](QChar kind, const QStringList& keyTexts) {
        for (const QString& key : keyTexts)
            m_rows[kind + key].append(row);
    };
    file(kNameKey, keys.names);
    file(kEmailKey, keys.emails);
    file(kPhoneKey, keys.phones);
    for (const QString& key : keys.swapped)
        m_swapped.emplace_back(row, key);
}

std::vector<DuplicateGroup> CDuplicateFinder::groups() const {
    RowSets sets(m_ids.size());
    // Joins `row` to the first other of `members` that the user did not set apart from it.
    const auto joinFirstAllowed = [this, &sets](int row, const Members& members,
                                                MatchReason reason) {
        for (int i = 0; i < members.size(); ++i) {
            const int other = members[i];
            if (other != row && !m_notDuplicates.contains(m_ids[row], m_ids[other])) {
                sets.join(other, row, reason);
                return;
            }
        }
    };
    for (auto bucket = m_rows.cbegin(); bucket != m_rows.cend(); ++bucket) {
        const Members& members = bucket.value();
        const QChar keyKind = bucket.key().front();
        if (members.size() < 2 || (keyKind != kNameKey && members.size() > kSharedKeyLimit))
            continue;
        for (const int row : members)
            joinFirstAllowed(row, members, reasonOf(keyKind));
    }
    for (const auto& [row, key] : m_swapped) {
        const auto found = m_rows.constFind(kNameKey + key);
        if (found != m_rows.cend())
            joinFirstAllowed(row, *found, MatchReason::SwappedNames);
    }
    std::map<qint32, DuplicateGroup> byLowestId;
    std::vector<std::vector<qint32>> members(m_ids.size());
    for (int row = 0; row < int(m_ids.size()); ++row)
        members[sets.root(row)].push_back(m_ids[row]);
    for (int root = 0; root < int(members.size()); ++root) {
        std::vector<qint32>& ids = members[root];
        if (ids.size() < 2)
            continue;
        std::sort(ids.begin(), ids.end());
        const qint32 lowest = ids.front();
        byLowestId.emplace(lowest, DuplicateGroup{std::move(ids), sets.reasons(root)});
    }
    std::vector<DuplicateGroup> groups;
    groups.reserve(byLowestId.size());
    for (auto& [lowest, group] : byLowestId)
        groups.push_back(std::move(group));
    return groups;
}

}  // namespace duplicates
