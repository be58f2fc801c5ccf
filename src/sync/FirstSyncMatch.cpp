#include "sync/FirstSyncMatch.h"

CFirstSyncMatch::Records& CFirstSyncMatch::recordsOf(CExchangeRecord::Kind kind) {
    return kind == CExchangeRecord::Kind::Firm ? m_firms : m_persons;
}

void CFirstSyncMatch::add(const CExchangeRecord& record, qint64 id) {
    Records& records = recordsOf(record.kind);
    duplicates::PartyKeys keys = duplicates::keysOf(records.matcher.kind(), record.values);
    records.matcher.add(qint32(id), keys);
    records.keys.insert(id, std::move(keys));
}

std::optional<qint64> CFirstSyncMatch::take(const CExchangeRecord& record) {
    Records& records = recordsOf(record.kind);
    const auto match =
        records.matcher.find(duplicates::keysOf(records.matcher.kind(), record.values));
    if (!match || !match->isProbablySame())
        return std::nullopt;
    records.matcher.remove(match->id, records.keys.take(match->id));
    return match->id;
}
