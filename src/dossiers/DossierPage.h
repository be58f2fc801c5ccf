#pragma once

#include <QWidget>
#include <vector>

#include "dossiers/DossierPages.h"

class CRecordSet;

// A tab of a dossier sheet, built from its field table: a label and an edit control per
// column. The edits have no automatic exchange: the page copies texts from the row when it
// is entered and into the row's edit buffer when it is left.
class CDossierPage : public QWidget {
    Q_OBJECT
public:
    CDossierPage(const DossierPageDef& definition, QWidget* parent = nullptr);

    const DossierPageDef& definition() const { return m_definition; }

    // The dossier row's record set; nullptr while no dossier is shown, and then the edits
    // are empty and read-only, so that nothing is typed that could never be saved.
    void SetRecordset(CRecordSet* recordSet);
    CRecordSet* recordset() const { return m_recordSet; }

    // Entering the page: each edit shows its column of the current row.
    void OnSetActive();
    // Leaving the page: each edit's text goes into its column of the edit buffer.
    void OnKillActive();

    // The edit control of a column (its object name), or nullptr.
    QWidget* edit(const char* column) const;
    QString editText(std::size_t field) const;
    void setEditText(std::size_t field, const QString& text);

private:
    void buildLayout();

    DossierPageDef m_definition;
    std::vector<QWidget*> m_edits;  // in the order of the field table
    CRecordSet* m_recordSet = nullptr;
};
