#pragma once

#include <QHash>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "data/ChangeNotifier.h"
#include "data/RecordSet.h"
#include "forms/FieldBinder.h"
#include "forms/FormDefinition.h"
#include "forms/RecordStateMachine.h"
#include "platform/CallerLink.h"
#include "platform/DeferredMoves.h"
#include "platform/Document.h"
#include "platform/OpenWindowRegistry.h"

class CDBDoc;
class CPickListEdit;
class CRecordLocator;
class QGridLayout;
class QHBoxLayout;
class QLineEdit;
class QPushButton;

// A record form: shows one record of its table at a time and lets the user browse, add,
// edit, save, cancel, delete and print records. Record commands reach it as broadcasts of
// its document; its update handler is the command dispatcher. The form's fields, their
// columns and pick lists come from its FormDefinition.
//
// Requests to show a record or start a new one wait while the form runs a command of its
// own (its question may be open) or edits, and run when it is idle again (CDeferredMoves):
// an answer always acts on the record the user chose, and typed text is never dropped.
//
// The controls are bound to the record's fields by a CFieldBinder; the record's life
// (browse, edit, add, save, cancel, delete, moves) is a CRecordStateMachine, which calls
// back the steps below. What other writers change in the form's table reaches the form
// through the change notifier and is shown once the form is idle.
class CMyFormView : public QWidget, public CView, protected CRecordSteps {
    Q_OBJECT
public:
    CMyFormView(CDocument* document, FormDefinition definition, FormKind kind,
                std::unique_ptr<CRecordSet> recordSet);
    ~CMyFormView() override;

    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, int hint, CHintObject* hintObject) override;

    // The record set, opened with the form's sort order on first use.
    CRecordSet* OnGetRecordset();
    CDBDoc* document() const;
    const FormDefinition& definition() const { return m_definition; }

    // The data control of a column or control id; nullptr when the form has none.
    QWidget* control(int controlId) const { return m_binder.control(controlId); }
    CPickListEdit* edit(int controlId) const;
    bool isEditing() const;
    CRecordStateMachine& stateMachine() { return m_machine; }
    qint32 position() const { return m_position; }
    qint32 overall() const { return m_overall; }
    // The show-record and new-record requests waiting for the form to be idle.
    CDeferredMoves& deferredMoves() { return m_moves; }

protected:
    // The operations each form fills in.
    void EnableControls(bool enable) override;
    void DoNewMask() override;
    bool RefreshPosition() override;
    bool DoBeforePost() override { return true; }
    virtual void DoAfterMove() {}
    void DoAfterPost() override;
    void DoNewDefaults() override {}
    bool ConfirmCancel() override;
    bool ConfirmDelete() override;
    virtual void DoListRecords() = 0;
    virtual void DoPrint() = 0;

    // The condition that finds a record by the locator's texts; empty: the form does not
    // search by name.
    virtual QString nameCondition(const CRecordLocator&) const { return {}; }
    // No record matched a show-record request.
    virtual void OnNotFound(const CRecordLocator& locator);
    // After the record set wrote a record; `added` tells an insertion.
    void AfterUpdate(bool added) override;
    // 32790 carried names for the form's name fields.
    virtual void FillNewRecordNames(const CRecordLocator&) {}
    // A name sent back by the person (60008) or firm (60009) form.
    virtual void OnNameReturned(int, const CRecordLocator&) {}
    // Before a returned name goes into a field: a browsing form starts editing its record
    // (or a new one when it has none), so that saving stores the name.
    void EditForReturnedName();
    // The name sent to the caller after a save.
    virtual QString savedName() const { return {}; }
    // Whether this form returns to its caller after save, cancel and delete.
    virtual bool returnsToCaller() const { return true; }
    // Runs when a pick-list field asks for its name to be resolved (F7).
    virtual void OnResolve(int) {}
    // Runs when a data control loses the focus while the form is editing.
    virtual void OnFieldLeft(int) {}

    // Record to controls and controls to record; false when a control does not validate.
    void ShowValues() override;
    bool ReadValues() override;

    // Extra buttons and widgets of a form, placed below the fields.
    QPushButton* addButton(int id, const QString& text);
    QHBoxLayout* buttonRow() const { return m_buttonRow; }
    QGridLayout* fieldGrid() const { return m_grid; }
    QPushButton* button(int id) const { return m_buttons.value(id, nullptr); }
    // Runs `step` when the button is clicked, as runCommand does.
    void onClicked(int buttonId, std::function<void()> step);
    // Runs one entry point of the form (a command, a click, a key): a database failure in
    // it is reported, and requests to move the form wait until it is done.
    void runCommand(const std::function<void()>& step);

    void ShowRecord(const CRecordLocator& locator);
    void NewRecord(const CRecordLocator* locator);
    void Save();
    void CancelOrDelete();
    void Close();
    // Opens the form of another kind for a new record, with this form as its caller.
    void OpenNewRelated(FormKind targetKind, const QString& targetWindowKind);
    // Shows the record named by the text in the form of another kind.
    void ViewRelated(const QString& targetWindowKind, const QString& name);
    // Activates the caller of this form, sending it the name when one is given.
    void ReturnToCaller(const std::optional<QString>& name);

    FormKind kind() const { return m_kind; }

private:
    void buildLayout();
    // Show-record and new-record requests: at once when the form is idle, else later.
    void requestMove(int hint, const CRecordLocator* locator);
    // Hears the notifier inside another writer's write: the change is taken in later, once
    // the write is done and the form idle.
    void onDataChanged(const DataChange& change);
    void takeInChanges();
    void setPositionTexts();
    bool eventFilter(QObject* watched, QEvent* event) override;

    FormDefinition m_definition;
    FormKind m_kind;
    std::unique_ptr<CRecordSet> m_recordSet;
    CFieldBinder m_binder;
    CRecordStateMachine m_machine;
    OpenWindowSlot m_slot;
    QHash<int, QPushButton*> m_buttons;
    QGridLayout* m_grid = nullptr;
    QHBoxLayout* m_buttonRow = nullptr;
    QLineEdit* m_positionEdit = nullptr;
    QLineEdit* m_overallEdit = nullptr;
    qint32 m_position = 0;
    qint32 m_overall = 0;
    bool m_opened = false;
    CDeferredMoves m_moves;
    // What other writers changed since the form last took it in; while it is not empty,
    // taking it in is queued.
    std::vector<DataChange> m_changes;
};
