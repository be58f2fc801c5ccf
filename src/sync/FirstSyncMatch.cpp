#include "sync/FirstSyncMatch.h"

QString CFirstSyncMatch::keyOf(const CExchangeRecord& record) {
    if (record.kind == CExchangeRecord::Kind::Firm)
        return QStringLiteral("firm:") + record.value(QStringLiteral("name")).toCaseFolded();
    return QStringLiteral("person:") + (record.value(QStringLiteral("lastname")) + u' ' +
                                        record.value(QStringLiteral("firstname")))
                                           .toCaseFolded();
}

void CFirstSyncMatch::add(const CExchangeRecord& record, qint64 id) {
    m_ids[keyOf(record)] << id;
}

std::optional<qint64> CFirstSyncMatch::take(const CExchangeRecord& record) {
    const auto found = m_ids.find(keyOf(record));
    if (found == m_ids.end() || found->isEmpty())
        return std::nullopt;
    return found->takeFirst();
}
