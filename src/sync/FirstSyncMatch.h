#pragma once

#include <QHash>
#include <QString>
#include <optional>

#include "duplicates/RecordMatcher.h"
#include "exchange/ExchangeRecord.h"

// Finds the local record that a card seen for the first time stands for, when neither side
// has met the other: by the duplicate matcher the import uses too (the name, also
// transliterated or swapped, or the e-mail and phone together). A record is given out once.
class CFirstSyncMatch {
public:
    void add(const CExchangeRecord& record, qint64 id);
    std::optional<qint64> take(const CExchangeRecord& record);

private:
    struct Records {
        duplicates::CRecordMatcher matcher;
        // The keys each record was added with, to forget it once it is given out.
        QHash<qint64, duplicates::PartyKeys> keys;
    };
    Records& recordsOf(CExchangeRecord::Kind kind);

    Records m_persons{duplicates::CRecordMatcher(duplicates::PartyKind::Person), {}};
    Records m_firms{duplicates::CRecordMatcher(duplicates::PartyKind::Firm), {}};
};
