#pragma once

#include <QByteArray>
#include <QStringList>

#include "exchange/ExchangeRecord.h"

// Our own CSV layout: a header of the table's column names (all but `id`), then one row
// per record, fields quoted where RFC 4180 needs it, CRLF line ends, UTF-8 with a byte
// order mark so that spreadsheets take the text as UTF-8.
QStringList csvColumns(CExchangeRecord::Kind kind);
QByteArray csvHeader(CExchangeRecord::Kind kind);
QByteArray csvRow(const CExchangeRecord& record);
