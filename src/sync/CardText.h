#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

#include "exchange/ExchangeRecord.h"
#include "exchange/VCardWriter.h"

// Cards as a sync exchanges them: read through the exchange mapping, and rewritten so that
// every property the mapping has no column for stays as the other side wrote it.
namespace cardtext {

// The record the (first) card stands for; an empty person when it cannot be read.
CExchangeRecord recordOf(const QByteArray& card);
QString uidOf(const QByteArray& card);
VCardVersion versionOf(const QByteArray& card);

// A new card of the record, with the given UID.
QByteArray newCard(const CExchangeRecord& record, VCardVersion version, const QString& uid);

// `card` with the properties that carry any of `columns` replaced by those a card of
// `record` has for them; all other properties are kept as they are, byte for byte.
QByteArray patched(const QByteArray& card, const CExchangeRecord& record,
                   const QSet<QString>& columns);

}  // namespace cardtext
