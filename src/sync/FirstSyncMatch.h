#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <optional>

#include "exchange/ExchangeRecord.h"

// Finds the local record that a card seen for the first time stands for, when neither side
// has met the other: by the rule the import uses for duplicates (a person's display name, a
// firm's name, in any letter case). A record is given out once.
class CFirstSyncMatch {
public:
    void add(const CExchangeRecord& record, qint64 id);
    std::optional<qint64> take(const CExchangeRecord& record);

private:
    static QString keyOf(const CExchangeRecord& record);

    QHash<QString, QList<qint64>> m_ids;
};
