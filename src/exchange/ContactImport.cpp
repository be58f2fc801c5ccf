#include "exchange/ContactImport.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSet>

#include "data/Database.h"
#include "data/Statement.h"
#include "data/Transaction.h"
#include "exchange/CsvReader.h"
#include "exchange/CsvWriter.h"
#include "exchange/VCardReader.h"

namespace {

QString personKey(const QString& last, const QString& first) {
    return (last + u' ' + first).toCaseFolded();
}

QSet<QString> existingKeys(CDatabase& db, const QString& sql) {
    QSet<QString> keys;
    CStatement statement(db, sql);
    while (statement.step())
        keys.insert(statement.text(0).toCaseFolded());
    return keys;
}

class Inserter {
public:
    Inserter(CDatabase& db, CExchangeRecord::Kind kind)
        : m_columns(csvColumns(kind)),
          m_statement(db,
                      sqlFor(kind == CExchangeRecord::Kind::Firm ? "Firm" : "Person", m_columns)) {}

    void insert(const CExchangeRecord& record) {
        for (qsizetype i = 0; i < m_columns.size(); ++i) {
            const QString value = record.value(m_columns[i]);
            m_statement.bind(int(i) + 1, value.isEmpty() ? QVariant() : QVariant(value));
        }
        m_statement.execute();
        m_statement.reset();
    }

private:
    static QString sqlFor(const char* table, const QStringList& columns) {
        QStringList names, marks;
        for (const QString& column : columns) {
            names << u'"' + column + u'"';
            marks << QStringLiteral("?");
        }
        return QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
            .arg(QLatin1String(table), names.join(u", "), marks.join(u", "));
    }

    QStringList m_columns;
    CStatement m_statement;
};

}  // namespace

QString CImportSummary::text() const {
    const QLocale locale;
    QString summary = QStringLiteral("%1 persons and %2 companies added")
                          .arg(locale.toString(persons), locale.toString(firms));
    if (duplicates)
        summary +=
            QStringLiteral(", %1 skipped as already present").arg(locale.toString(duplicates));
    if (!unreadableLines.isEmpty()) {
        QStringList lines;
        for (qsizetype i = 0; i < unreadableLines.size() && i < 10; ++i)
            lines << locale.toString(unreadableLines[i]);
        summary += QStringLiteral(", %1 not readable: line %2")
                       .arg(locale.toString(unreadableLines.size()), lines.join(u", "));
        if (unreadableLines.size() > 10)
            summary += QStringLiteral(" ...");
    }
    if (cancelled)
        summary = QStringLiteral("The import was cancelled; nothing was added.");
    return summary;
}

CImportSummary importRecords(CDatabase& db, const CReadResult& read, bool addDuplicates,
                             const ImportProgress& progress) {
    CImportSummary summary;
    summary.unreadableLines = read.unreadableLines;
    CTransaction transaction(db);
    // One pass over each table instead of a look-up per record.
    QSet<QString> persons = existingKeys(
        db, QStringLiteral(
                "SELECT COALESCE(\"lastname\", '') || ' ' || COALESCE(\"firstname\", '') FROM "
                "\"Person\""));
    QSet<QString> firms = existingKeys(db, QStringLiteral("SELECT \"name\" FROM \"Firm\""));
    QSet<QString> groups = existingKeys(db, QStringLiteral("SELECT \"Name\" FROM \"Group\""));
    Inserter personInserter(db, CExchangeRecord::Kind::Person);
    Inserter firmInserter(db, CExchangeRecord::Kind::Firm);
    CStatement groupInserter(db, QStringLiteral("INSERT INTO \"Group\" (\"Name\") VALUES (?)"));

    const qsizetype total = read.records.size();
    for (qsizetype i = 0; i < total; ++i) {
        const CExchangeRecord& record = read.records[i];
        const bool firm = record.kind == CExchangeRecord::Kind::Firm;
        const QString key = firm ? record.value(QStringLiteral("name")).toCaseFolded()
                                 : personKey(record.value(QStringLiteral("lastname")),
                                             record.value(QStringLiteral("firstname")));
        QSet<QString>& known = firm ? firms : persons;
        if (known.contains(key) && !addDuplicates) {
            ++summary.duplicates;
        } else {
            const QString group = record.value(QStringLiteral("group"));
            if (!group.isEmpty() && !groups.contains(group.toCaseFolded())) {
                groupInserter.bind(1, group);
                groupInserter.execute();
                groupInserter.reset();
                groups.insert(group.toCaseFolded());
                ++summary.groups;
            }
            (firm ? firmInserter : personInserter).insert(record);
            known.insert(key);
            ++(firm ? summary.firms : summary.persons);
        }
        if (progress && !progress(i + 1, total)) {
            summary.cancelled = true;
            return summary;  // the transaction rolls back
        }
    }
    transaction.Commit();
    return summary;
}

CReadResult readContactFile(const QString& path) {
    QFile file(path);
    CReadResult result;
    if (!file.open(QIODevice::ReadOnly)) {
        result.fail(0, file.errorString());
        return result;
    }
    const QByteArray data = file.readAll();
    QByteArray start = data.left(512).trimmed();
    if (start.startsWith("\xEF\xBB\xBF"))
        start = start.mid(3).trimmed();
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (start.toUpper().startsWith("BEGIN:VCARD") || suffix == QLatin1String("vcf") ||
        suffix == QLatin1String("vcard"))
        return readVCards(data);
    return readContactsCsv(data);
}
