#include "duplicates/DuplicateFinder.h"

#include <algorithm>
#include <limits>
#include <map>
#include <numeric>

namespace duplicates {

namespace {

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

}  // namespace

CDuplicateFinder::CDuplicateFinder(PartyKind kind, CNotDuplicates notDuplicates)
    : m_kind(kind), m_notDuplicates(std::move(notDuplicates)) {}

void CDuplicateFinder::add(qint32 id, std::span<const QString> values) {
    const int row = int(m_ids.size());
    m_ids.push_back(id);
    const PartyKeys keys = keysOf(m_kind, values);
    const auto file = [row](QHash<QString, Members>& index, const QStringList& keyTexts) {
        for (const QString& key : keyTexts)
            index[key].append(row);
    };
    file(m_byName, keys.names);
    file(m_byEmail, keys.emails);
    file(m_byPhone, keys.phones);
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
    const auto joinAll = [&joinFirstAllowed](const QHash<QString, Members>& index,
                                             MatchReason reason, int limit) {
        for (const Members& members : index)
            if (members.size() >= 2 && members.size() <= limit)
                for (const int row : members)
                    joinFirstAllowed(row, members, reason);
    };
    joinAll(m_byName, MatchReason::SameName, std::numeric_limits<int>::max());
    joinAll(m_byEmail, MatchReason::SameEmail, kSharedKeyLimit);
    joinAll(m_byPhone, MatchReason::SamePhone, kSharedKeyLimit);
    for (const auto& [row, key] : m_swapped) {
        const auto found = m_byName.constFind(key);
        if (found != m_byName.cend())
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
