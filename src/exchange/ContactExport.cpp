#include "exchange/ContactExport.h"

#include <QHash>
#include <QSaveFile>

#include "data/Database.h"
#include "data/Statement.h"
#include "exchange/CsvWriter.h"
#include "exchange/VCardWriter.h"

QList<CExchangeRecord> loadRecords(CDatabase& db, CExchangeRecord::Kind kind,
                                   const QList<qint64>& ids) {
    const bool firm = kind == CExchangeRecord::Kind::Firm;
    const QStringList columns = csvColumns(kind);
    QStringList names{QStringLiteral("\"id\"")};
    for (const QString& column : columns)
        names << u'"' + column + u'"';
    const QString order = firm ? QStringLiteral("\"name\", \"id\"")
                               : QStringLiteral("\"lastname\", \"firstname\", \"id\"");
    CStatement statement(
        db, QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY %3")
                .arg(names.join(u", "), firm ? QStringLiteral("Firm") : QStringLiteral("Person"),
                     order));
    QList<CExchangeRecord> all;
    QHash<qint64, qsizetype> byId;
    while (statement.step()) {
        CExchangeRecord record;
        record.kind = kind;
        for (qsizetype i = 0; i < columns.size(); ++i) {
            const QString value = statement.text(int(i) + 1);
            if (!value.isEmpty())
                record.values.insert(columns[i], value);
        }
        byId.insert(statement.int64(0), all.size());
        all << record;
    }
    if (ids.isEmpty())
        return all;
    QList<CExchangeRecord> chosen;
    chosen.reserve(ids.size());
    for (qint64 id : ids)
        if (auto it = byId.constFind(id); it != byId.constEnd())
            chosen << all[*it];
    return chosen;
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
