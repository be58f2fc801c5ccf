#include "exchange/CsvWriter.h"

#include "data/Schema.h"

namespace {

QByteArray csvLine(const QStringList& fields) {
    QStringList quoted;
    for (const QString& field : fields) {
        const bool needsQuotes = field.contains(u',') || field.contains(u';') ||
                                 field.contains(u'"') || field.contains(u'\n') ||
                                 field.contains(u'\r');
        quoted << (needsQuotes
                       ? u'"' +
                             QString(field).replace(QStringLiteral("\""), QStringLiteral("\"\"")) +
                             u'"'
                       : field);
    }
    return quoted.join(u',').toUtf8() + "\r\n";
}

}  // namespace

QStringList csvColumns(CExchangeRecord::Kind kind) {
    return schema::tableColumns(kind == CExchangeRecord::Kind::Firm ? schema::Firm : schema::Person)
        .mid(1);
}

QByteArray csvHeader(CExchangeRecord::Kind kind) {
    return "\xEF\xBB\xBF" + csvLine(csvColumns(kind));
}

QByteArray csvRow(const CExchangeRecord& record) {
    QStringList fields;
    for (const QString& column : csvColumns(record.kind))
        fields << record.value(column);
    return csvLine(fields);
}
