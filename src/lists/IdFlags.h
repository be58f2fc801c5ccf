#pragma once

#include <QHash>
#include <algorithm>
#include <vector>

// One flag per record id of a result, all starting with the same value. Ids are mostly dense
// (the engine numbers records upwards), so a plain array indexed by id serves; sparse ids
// fall back to a hash. Ids outside the result are ignored.
class CIdFlags {
public:
    CIdFlags(const std::vector<qint32>& ids, bool initial) : m_initial(initial) {
        qint32 maxId = 0;
        qint32 minId = 0;
        for (qint32 id : ids) {
            maxId = std::max(maxId, id);
            minId = std::min(minId, id);
        }
        m_dense = minId >= 0 && static_cast<std::size_t>(maxId) <= 4 * ids.size() + 1024;
        if (m_dense) {
            m_flags.assign(static_cast<std::size_t>(maxId) + 1, initial ? 1 : 0);
        } else {
            m_hash.reserve(static_cast<qsizetype>(ids.size()));
            for (qint32 id : ids)
                m_hash.insert(id, initial);
        }
    }

    void set(qint32 id, bool value) {
        if (m_dense) {
            if (id >= 0 && static_cast<std::size_t>(id) < m_flags.size())
                m_flags[static_cast<std::size_t>(id)] = value ? 1 : 0;
        } else if (auto it = m_hash.find(id); it != m_hash.end()) {
            *it = value;
        }
    }

    bool value(qint32 id) const {
        if (m_dense)
            return id >= 0 && static_cast<std::size_t>(id) < m_flags.size()
                       ? m_flags[static_cast<std::size_t>(id)] != 0
                       : m_initial;
        return m_hash.value(id, m_initial);
    }

private:
    bool m_initial;
    bool m_dense = true;
    std::vector<unsigned char> m_flags;
    QHash<qint32, bool> m_hash;
};
