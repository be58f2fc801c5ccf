#pragma once

#include <QByteArray>

#include "exchange/ExchangeRecord.h"

enum class VCardVersion { V3, V4 };

// The card of one person or firm, with the mapping the reader applies, so that a card
// written here reads back into the same record. Lines end in CRLF and are folded at 75
// bytes, never inside a UTF-8 sequence.
QByteArray vCardOf(const CExchangeRecord& record, VCardVersion version);
