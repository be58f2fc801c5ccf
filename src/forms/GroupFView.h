#pragma once

#include <QList>
#include <QWidget>

#include "data/GroupRcs.h"
#include "platform/Document.h"
#include "platform/OpenWindowRegistry.h"

class CTypeAheadComboBox;
class QPlainTextEdit;
class QPushButton;

// The group form: the user picks a group by name and edits its comment with the form's own
// buttons. It does not browse record by record and leaves the document's record-state flags
// alone, so the record commands stay greyed in its window; of the broadcasts it only acts on
// Esc, which closes the window at once.
class CGroupFView : public QWidget, public CView {
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
    void EnableControls(bool editing);
    void ShowValues();
    void ReadValues();
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

    CGroupRcs m_recordSet;
    OpenWindowSlot m_slot;
    // Entry i of the name list shows the group whose id is m_ids[i].
    QList<qint32> m_ids;
    CTypeAheadComboBox* m_names = nullptr;
    QPlainTextEdit* m_comment = nullptr;
    QList<QPushButton*> m_buttons;
    bool m_opened = false;
};

// Creates the group form's view for the window kind "Group".
QWidget* createGroupView(CDocument* document);
