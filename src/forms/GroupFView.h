#pragma once

#include <QList>
#include <QWidget>

#include "data/ChangeNotifier.h"
#include "data/GroupRcs.h"
#include "forms/RecordStateMachine.h"
#include "platform/DeferredMoves.h"
#include "platform/Document.h"
#include "platform/OpenWindowRegistry.h"

class CTypeAheadComboBox;
class QPlainTextEdit;
class QPushButton;

// The group form: the user picks a group by name and edits its comment with the form's own
// buttons. It does not browse record by record and leaves the document's record-state flags
// alone, so the record commands stay greyed in its window; of the broadcasts it only acts on
// Esc, which closes the window at once. Editing, saving, cancelling and deleting run through
// the record state machine of the record forms. Groups that other writers add, change or
// remove show in the name list once the form is not editing.
class CGroupFView : public QWidget, public CView, protected CRecordSteps {
    Q_OBJECT
public:
    enum ControlId {
        Comment = 1021,
        NameList = 1024,
        NewButton = 1026,
        DeleteButton = 1027,
        EditButton = 1028,
        SaveButton = 1029,
        CancelButton = 1032,
    };

    explicit CGroupFView(CDocument* document);
    ~CGroupFView() override;

    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, int hint, CHintObject* hintObject) override;

    // The record set, opened on the shared connection on first use.
    CGroupRcs* OnGetRecordset();
    bool isEditing() const;

    CTypeAheadComboBox* nameList() const { return m_names; }
    QPlainTextEdit* comment() const { return m_comment; }
    QPushButton* button(int id) const;

private:
    struct ButtonDef;
    static const ButtonDef kButtons[];

    void buildLayout();
    // Browse state (false) or editing state (true) of the buttons, list and comment.
    void EnableControls(bool editing) override;
    void DoNewMask() override;
    void DoNewDefaults() override {}
    void ShowValues() override;
    bool ReadValues() override;
    bool DoBeforePost() override { return true; }
    void AfterUpdate(bool) override {}
    // After a delete the name list is read again.
    void DoAfterPost() override;
    bool RefreshPosition() override;
    // Dropping the changes to a comment needs no question.
    bool ConfirmCancel() override { return true; }
    bool ConfirmDelete() override;
    // Reads every group into the name list, in name order, and shows the first one.
    void FillNameList();
    void ShowSelected();
    void SelectId(qint32 id);

    void OnNew();
    void OnDelete();
    void OnEdit();
    void OnSave();
    void OnCancel();
    // Closes the window, dropping an edit in progress.
    void CloseNow();
    // Hears the notifier inside another writer's write; the name list is read again later,
    // once the write is done and the form is not editing, keeping the selected group.
    void onDataChanged(const DataChange& change);
    void refillKeepingSelection();

    CGroupRcs m_recordSet;
    CRecordStateMachine m_machine;
    CDeferredMoves m_moves;
    OpenWindowSlot m_slot;
    // Entry i of the name list shows the group whose id is m_ids[i].
    QList<qint32> m_ids;
    CTypeAheadComboBox* m_names = nullptr;
    QPlainTextEdit* m_comment = nullptr;
    QList<QPushButton*> m_buttons;
    bool m_opened = false;
    // A new group is being written by the form itself.
    bool m_adding = false;
    bool m_refillQueued = false;
};

// Creates the group form's view for the window kind "Group".
QWidget* createGroupView(CDocument* document);
