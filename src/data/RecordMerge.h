#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

class CDatabase;

// Merging persons or firms that are one into a survivor, and undoing the last merge.

// One row as it was stored, every column by name.
struct StoredRow {
    QString table;
    qint32 id = 0;
    QStringList columns;
    QVariantList values;
};

struct MergeRequest {
    QString table;  // "Person" or "Firm"
    qint32 survivorId = 0;
    std::vector<qint32> mergedIds;
    // What the survivor holds afterwards, by column (not `id`); an empty text is stored as
    // null. Columns left out keep their values.
    QMap<QString, QString> survivorValues;
    // The text a dossier field keeps when the survivor's dossier and a merged record's both
    // have one: `added` is the merged record's text, `addedName` its display name.
    std::function<QString(const QString& kept, const QString& added, const QString& addedName)>
        combineDossierText;
};

// What a merge changed, to put it back: every row it updated or deleted as it was before,
// and the rows it updated as they were afterwards, to see that nobody changed them since.
struct MergeUndo {
    std::vector<StoredRow> before;
    std::vector<StoredRow> after;
    std::vector<std::pair<QString, qint32>> deleted;  // table, id
    QString survivorName;
    int mergedCount = 0;

    bool isEmpty() const { return before.empty(); }
};

// In one transaction: every contact, alarm and record that names a merged record (its
// display name, or a firm's name) names the survivor as it is afterwards; the dossiers
// move to the survivor (the texts of two dossiers combined field by field); the survivor
// takes the values of the request; the merged records are deleted. A name that a record
// outside the merge still has keeps the references, which may be that record's. A damaged
// file is not written; a failure rolls everything back and throws CDbException.
MergeUndo mergeRecords(CDatabase& db, const MergeRequest& request);

// Puts back every row as it was before the merge, in one transaction. Returns false and
// changes nothing when a row the merge left has been changed, or a deleted id used again,
// since: the undo would lose that change. Failures throw CDbException.
bool undoMerge(CDatabase& db, const MergeUndo& undo);
