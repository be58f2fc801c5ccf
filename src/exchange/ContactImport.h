#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "exchange/ExchangeRecord.h"

class CDatabase;

struct CImportSummary {
    int persons = 0;
    int firms = 0;
    int duplicates = 0;
    int groups = 0;
    QList<int> unreadableLines;
    bool cancelled = false;

    // "412 persons and 37 companies added, 5 skipped as already present, 2 not readable:
    // line 3,114 ..."
    QString text() const;
};

// Called after each record with the number done so far; false cancels the import.
using ImportProgress = std::function<bool(qsizetype done, qsizetype total)>;

// Adds the records in one transaction, so that a cancel or a failure leaves the file as it
// was. A person whose display name ("lastname firstname") or a firm whose name is there
// already, in any letter case, is skipped and counted unless `addDuplicates`; a group named
// by a record is created when missing. Database failures throw CDbException (rolled back).
CImportSummary importRecords(CDatabase& db, const CReadResult& read, bool addDuplicates,
                             const ImportProgress& progress = {});

// The records of a .vcf or .csv file: a file named .vcf or starting with a card is read as
// vCard, anything else as CSV. A file that cannot be opened gives one unreadable
// entry at line 0.
CReadResult readContactFile(const QString& path);
