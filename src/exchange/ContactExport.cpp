#include "exchange/ContactExport.h"

#include <QSaveFile>
#include <utility>

#include "data/ContactRows.h"
#include "exchange/CsvWriter.h"
#include "exchange/VCardWriter.h"

QList<CExchangeRecord> loadRecords(CDatabase& db, CExchangeRecord::Kind kind,
                                   const QList<qint64>& ids) {
    const ContactTable table =
        kind == CExchangeRecord::Kind::Firm ? ContactTable::Firm : ContactTable::Person;
    QList<CExchangeRecord> records;
    for (QMap<QString, QString>& values : readContactRows(db, table, csvColumns(kind), ids)) {
        CExchangeRecord record;
        record.kind = kind;
        record.values = std::move(values);
        records << std::move(record);
    }
    return records;
}

bool exportContacts(const QList<CExchangeRecord>& records, ContactFormat format,
                    CExchangeRecord::Kind kind, const QString& path, QString& error,
                    const ExportProgress& progress) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    if (format == ContactFormat::Csv)
        file.write(csvHeader(kind));
    const qsizetype total = records.size();
    for (qsizetype i = 0; i < total; ++i) {
        switch (format) {
            case ContactFormat::Csv:
                file.write(csvRow(records[i]));
                break;
            case ContactFormat::VCard3:
                file.write(vCardOf(records[i], VCardVersion::V3));
                break;
            case ContactFormat::VCard4:
                file.write(vCardOf(records[i], VCardVersion::V4));
                break;
        }
        if (progress && !progress(i + 1, total)) {
            file.cancelWriting();
            error.clear();
            return false;
        }
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}
