#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

#include "duplicates/MatchReason.h"
#include "exchange/ExchangeRecord.h"

class CDatabase;

// What an import did with every card or row of the file.
struct CImportSummary {
    CReadResult::Format format = CReadResult::Format::VCard;
    QString encoding;
    int persons = 0;
    int firms = 0;
    int duplicates = 0;
    // The records skipped, by the strongest reason to take each for one already there.
    QMap<::duplicates::MatchReason, int> duplicatesByReason;
    int groups = 0;
    // One text per card or row not added: "line 9: Smith Anna is probably already present
    // (same name)",
    // "line 16: not a vCard line", in the order of their lines.
    QStringList notAdded;
    QList<int> unreadableLines;
    bool cancelled = false;

    // Every card or row of the file: added, skipped or not readable.
    int entries() const { return persons + firms + duplicates + int(unreadableLines.size()); }

    // "5 cards read as Windows-1252: 2 persons and 1 companies added, 1 skipped as probably
    // already present (1 same e-mail), 1 not readable." and a line for each card not added
    // (the first ten).
    QString text() const;
};

// Called after each record with the number done so far; false cancels the import.
using ImportProgress = std::function<bool(qsizetype done, qsizetype total)>;

// Adds the records in one batch of the data layer, so that a cancel or a failure leaves
// the file as it was and a damaged file is not written. A person or firm that the duplicate
// matcher takes for one already in the file or earlier in the batch (by name, also
// transliterated or swapped, or by e-mail and phone together) is skipped and counted unless
// `addDuplicates`; a group named by a record is created when missing. Database failures
// throw CDbException (rolled back).
CImportSummary importRecords(CDatabase& db, const CReadResult& read, bool addDuplicates,
                             const ImportProgress& progress = {});

// The records of a .vcf or .csv file: a file named .vcf or starting with a card is read as
// vCard, anything else as CSV. A file that cannot be opened gives one unreadable
// entry at line 0.
CReadResult readContactFile(const QString& path);
