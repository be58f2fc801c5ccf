#include "duplicates/NotDuplicates.h"

#include <QStringList>
#include <algorithm>
#include <vector>

namespace duplicates {

quint64 CNotDuplicates::pairKey(qint32 a, qint32 b) {
    const quint32 low = quint32(std::min(a, b)), high = quint32(std::max(a, b));
    return (quint64(low) << 32) | high;
}

void CNotDuplicates::markGroup(std::span<const qint32> ids) {
    for (std::size_t i = 0; i < ids.size(); ++i)
        for (std::size_t j = i + 1; j < ids.size(); ++j)
            if (ids[i] != ids[j])
                m_pairs.insert(pairKey(ids[i], ids[j]));
}

QString CNotDuplicates::toText() const {
    std::vector<quint64> pairs(m_pairs.cbegin(), m_pairs.cend());
    std::sort(pairs.begin(), pairs.end());
    QStringList texts;
    for (quint64 pair : pairs)
        texts << QStringLiteral("%1-%2").arg(pair >> 32).arg(pair & 0xffffffffu);
    return texts.join(u' ');
}

CNotDuplicates CNotDuplicates::fromText(const QString& text) {
    CNotDuplicates marked;
    for (const QString& pair : text.split(u' ', Qt::SkipEmptyParts)) {
        bool aRead = false, bRead = false;
        const qint32 a = pair.section(u'-', 0, 0).toInt(&aRead);
        const qint32 b = pair.section(u'-', 1).toInt(&bRead);
        if (aRead && bRead && a > 0 && b > 0 && a != b)
            marked.m_pairs.insert(pairKey(a, b));
    }
    return marked;
}

}  // namespace duplicates
