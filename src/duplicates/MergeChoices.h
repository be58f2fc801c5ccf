#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <vector>

#include "duplicates/PartyKeys.h"

namespace duplicates {

// One column the user decides on when records are merged.
struct MergeField {
    QString column;
    QString label;
    // Texts of several lines (addresses, descriptions) may keep every record's text.
    bool multiLine = false;
};

// Every column of the kind but `id`, in the order the forms show them.
std::vector<MergeField> mergeFields(PartyKind kind);

// Which value each column of the survivor keeps: a record's value, or for a multi-line
// column every record's text. By default the survivor's own value, or where that is empty
// the first other record's non-empty one.
class CMergeChoices {
public:
    // Combined: every different non-empty text, the survivor's first.
    static constexpr int kCombined = -1;

    // `records` holds each record's values in the order of mergeFields(kind).
    CMergeChoices(PartyKind kind, std::vector<QStringList> records, int survivor = 0);

    const std::vector<MergeField>& fields() const { return m_fields; }
    int recordCount() const { return int(m_records.size()); }
    const QString& valueOf(int record, int field) const { return m_records[record][field]; }

    int survivor() const { return m_survivor; }
    // Makes another record the survivor; every choice goes back to its default.
    void setSurvivor(int record);

    int choice(int field) const { return m_choices[field]; }
    // `record`, or kCombined for a multi-line field.
    void choose(int field, int record);
    // Whether the records hold more than one value for the field (the user has a choice).
    bool differs(int field) const;

    QString value(int field) const;
    // What the survivor holds after the merge, by column.
    QMap<QString, QString> survivorValues() const;

private:
    int defaultChoice(int field) const;

    std::vector<MergeField> m_fields;
    std::vector<QStringList> m_records;
    int m_survivor = 0;
    std::vector<int> m_choices;
};

// A dossier text after a merge: the survivor's text, then the merged record's text under a
// line with that record's name; only one of them when the other is empty or the same.
QString combinedDossierText(const QString& kept, const QString& added, const QString& addedName);

}  // namespace duplicates
