#pragma once

#include <QList>
#include <QString>
#include <functional>

#include "exchange/ExchangeRecord.h"

class CDatabase;

enum class ContactFormat { VCard3, VCard4, Csv };

// The persons or firms with the given ids, in that order (ids no longer there are left
// out); all of them in name order when `ids` is empty.
QList<CExchangeRecord> loadRecords(CDatabase& db, CExchangeRecord::Kind kind,
                                   const QList<qint64>& ids = {});

// Called after each record written; false cancels the export.
using ExportProgress = std::function<bool(qsizetype done, qsizetype total)>;

// Writes the records to the file as a whole: a cancel or a failure leaves any earlier file
// at `path` as it was. Returns false with `error` set (empty after a cancel).
bool exportContacts(const QList<CExchangeRecord>& records, ContactFormat format,
                    CExchangeRecord::Kind kind, const QString& path, QString& error,
                    const ExportProgress& progress = {});
