#pragma once

#include <QWidget>
#include <memory>

#include "duplicates/MergeChoices.h"

class QButtonGroup;

namespace duplicates {

// The records of a group side by side, one column each: the user picks the record that
// stays and, for each field where they differ, the value it keeps (or, for texts of several
// lines, every record's text). Fields that no record fills are left out.
class CMergeGrid : public QWidget {
    Q_OBJECT
public:
    explicit CMergeGrid(QWidget* parent = nullptr);
    ~CMergeGrid() override;

    // Shows the records: `names` heads their columns, `records` holds their values in the
    // order of mergeFields(kind).
    void setRecords(PartyKind kind, const QStringList& names, std::vector<QStringList> records);
    void clear();
    // The choices as they stand; null when no records are shown.
    const CMergeChoices* choices() const { return m_choices.get(); }

private:
    void build(const QStringList& names);
    // The button id of "keep all" (a button group takes -1 for "give it an id").
    int combinedButton() const { return m_choices->recordCount(); }
    // Sets every button to the choices, after the survivor changed.
    void showChoices();

    std::unique_ptr<CMergeChoices> m_choices;
    QWidget* m_content = nullptr;
    QButtonGroup* m_survivors = nullptr;
    // Per field, the buttons of its choices by record (kCombined last); null when the field
    // is not shown.
    std::vector<QButtonGroup*> m_fieldButtons;
};

}  // namespace duplicates
