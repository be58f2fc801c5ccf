#pragma once

#include <QWidget>
#include <memory>

#include "platform/Document.h"
#include "platform/OpenWindowRegistry.h"

class CDossierSheet;
class CRecordSet;
class QPushButton;

// What tells one dossier window from the other.
struct DossierDefinition {
    const char* kind;        // window kind and registry name ("Zikinfo")
    const char* linkColumn;  // the column that holds the owner's id ("id_person")
    CDossierSheet* (*createSheet)(QWidget* parent);
};

// A dossier window: one row of free-text observations about a person or a firm, shown on
// the tabs of a sheet and edited in place. While a dossier is shown its row stays in edit
// mode; "Apply Changes" saves it. Of the document's broadcasts only the close request
// (Esc) is acted on: the window closes without saving and without asking.
class CDossierFView : public QWidget, public CView {
    Q_OBJECT
public:
    enum ControlId { SheetFrame = 1097, ApplyButton = 1121, NaturalSize = 1011 };

    ~CDossierFView() override;

    void OnUpdate(CView* sender, int hint, CHintObject* hintObject) override;

    // Shows the dossier of the owner, creating its row when it has none. A dossier already
    // shown is offered for saving first. False, with the error reported, when the dossier
    // could not be shown; when saving the shown one failed it stays shown as typed.
    bool Load(qint32 ownerId, const QString& displayName);
    // Copies the active page into the edit buffer and saves the row. False, with the error
    // reported, when the row could not be saved; the buffer keeps the texts.
    bool OnApplyChanges();

    qint32 ownerId() const { return m_ownerId; }
    const QString& displayName() const { return m_displayName; }
    CDossierSheet* sheet() const { return m_sheet; }
    QPushButton* applyButton() const { return m_apply; }
    // The dossier row's record set; nullptr before the first load.
    CRecordSet* recordset() const { return m_recordSet.get(); }

protected:
    CDossierFView(CDocument* document, const DossierDefinition& definition);

    virtual std::unique_ptr<CRecordSet> createRecordset() const = 0;
    // The display name of the dossier of this kind loaded last; it outlives the window.
    virtual QString& previousDisplayName() const = 0;

private:
    // Opens the owner's row, adding it when missing, and puts it in edit mode.
    void openRow(qint32 ownerId);
    // Drops the shown dossier: pages empty, record set closed, unapplied text lost.
    void closeDossier();
    void closeWindow();

    DossierDefinition m_definition;
    OpenWindowSlot m_slot;
    CDossierSheet* m_sheet = nullptr;
    QPushButton* m_apply = nullptr;
    std::unique_ptr<CRecordSet> m_recordSet;
    qint32 m_ownerId = -1;
    QString m_displayName;
};
