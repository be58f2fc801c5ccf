#include "exchange/ContactImport.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>

#include "data/ContactBatch.h"
#include "data/ContactsFileIdentity.h"
#include "duplicates/RecordMatcher.h"
#include "exchange/CsvReader.h"
#include "exchange/TextEncoding.h"
#include "exchange/VCardReader.h"

namespace {

constexpr qsizetype kListedNotAdded = 10;

QString shownName(const CExchangeRecord& record) {
    if (record.kind == CExchangeRecord::Kind::Firm)
        return record.value(QStringLiteral("name"));
    return QStringList{record.value(QStringLiteral("lastname")),
                       record.value(QStringLiteral("firstname"))}
        .join(u' ')
        .trimmed();
}

// The line number of a "line 12: ..." text.
int lineOf(const QString& text) {
    return text.section(u':', 0, 0).section(u' ', 1).toInt();
}

}  // namespace

QString CImportSummary::text() const {
    if (cancelled)
        return QStringLiteral("The import was cancelled; nothing was added.");
    const QLocale locale;
    const bool cards = format == CReadResult::Format::VCard;
    QString summary = QStringLiteral("%1 %2 read as %3: %4 persons and %5 companies added")
                          .arg(locale.toString(entries()),
                               cards ? QStringLiteral("cards") : QStringLiteral("rows"), encoding,
                               locale.toString(persons), locale.toString(firms));
    if (duplicates) {
        QStringList reasons;
        for (auto count = duplicatesByReason.cbegin(); count != duplicatesByReason.cend(); ++count)
            reasons << QStringLiteral("%1 %2").arg(locale.toString(count.value()),
                                                   ::duplicates::reasonText(count.key()));
        summary += QStringLiteral(", %1 skipped as probably already present (%2)")
                       .arg(locale.toString(duplicates), reasons.join(QStringLiteral(", ")));
    }
    if (!unreadableLines.isEmpty())
        summary += QStringLiteral(", %1 not readable").arg(locale.toString(unreadableLines.size()));
    summary += u'.';
    for (qsizetype i = 0; i < notAdded.size() && i < kListedNotAdded; ++i)
        summary += u'\n' + notAdded[i];
    if (notAdded.size() > kListedNotAdded)
        summary += QStringLiteral("\n... and %1 more")
                       .arg(locale.toString(notAdded.size() - kListedNotAdded));
    return summary;
}

CImportSummary importRecords(CDatabase& db, const CReadResult& read, bool addDuplicates,
                             const ImportProgress& progress) {
    CImportSummary summary;
    summary.format = read.format;
    summary.encoding = read.encoding;
    summary.unreadableLines = read.unreadableLines;
    summary.notAdded = read.unreadable;
    CContactBatch batch(db);
    // Read inside the batch's transaction: what the file holds while the records go in.
    duplicates::CRecordMatcher persons = duplicates::loadMatcher(db, duplicates::PartyKind::Person);
    duplicates::CRecordMatcher firms = duplicates::loadMatcher(db, duplicates::PartyKind::Firm);
    const qsizetype total = read.records.size();
    for (qsizetype i = 0; i < total; ++i) {
        const CExchangeRecord& record = read.records[i];
        const bool firm = record.kind == CExchangeRecord::Kind::Firm;
        duplicates::CRecordMatcher& matcher = firm ? firms : persons;
        const duplicates::PartyKeys keys = duplicates::keysOf(matcher.kind(), record.values);
        const auto match = matcher.find(keys);
        if (match && match->isProbablySame() && !addDuplicates) {
            ++summary.duplicates;
            ++summary.duplicatesByReason[match->reason()];
            summary.notAdded << QStringLiteral("line %1: %2 is probably already present (%3)")
                                    .arg(record.line)
                                    .arg(shownName(record),
                                         duplicates::reasonsText(match->reasons));
        } else {
            // A record met twice in the file counts as present the second time.
            matcher.add(0, keys);
            if (batch.addGroupIfMissing(record.value(QStringLiteral("group"))))
                ++summary.groups;
            if (firm)
                batch.addFirm(record.values);
            else
                batch.addPerson(record.values);
            ++(firm ? summary.firms : summary.persons);
        }
        if (progress && !progress(i + 1, total)) {
            summary.cancelled = true;
            return summary;  // the batch rolls back
        }
    }
    batch.Commit();
    // In the order of the file.
    std::stable_sort(summary.notAdded.begin(), summary.notAdded.end(),
                     [](const QString& a, const QString& b) { return lineOf(a) < lineOf(b); });
    return summary;
}

CReadResult readContactFile(const QString& path) {
    CReadResult result;
    // Its descriptor, once closed, would drop the engine's locks on the contacts file.
    if (isContactsFile(path)) {
        result.fail(0, contactsFileRefusal(path));
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.fail(0, file.errorString());
        return result;
    }
    const QByteArray data = file.readAll();
    const QString start = textencoding::decodeFile(data.left(512)).text.trimmed();
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (start.startsWith(QLatin1String("BEGIN:VCARD"), Qt::CaseInsensitive) ||
        suffix == QLatin1String("vcf") || suffix == QLatin1String("vcard"))
        return readVCards(data);
    return readContactsCsv(data);
}
