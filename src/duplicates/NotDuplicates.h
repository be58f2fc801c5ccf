#pragma once

#include <QSet>
#include <QString>
#include <span>

namespace duplicates {

// The pairs of records that the user said are not one: a group marked "not duplicates"
// marks each pair of its records, so the group is not offered again, while a record that
// comes later and matches one of them still is.
class CNotDuplicates {
public:
    void markGroup(std::span<const qint32> ids);
    bool contains(qint32 a, qint32 b) const { return m_pairs.contains(pairKey(a, b)); }
    bool isEmpty() const { return m_pairs.isEmpty(); }

    // As kept in the settings: "12-57 12-80", smaller id first, in ascending order. Text
    // that is not such a pair is passed over.
    QString toText() const;
    static CNotDuplicates fromText(const QString& text);

private:
    static quint64 pairKey(qint32 a, qint32 b);

    QSet<quint64> m_pairs;
};

}  // namespace duplicates
