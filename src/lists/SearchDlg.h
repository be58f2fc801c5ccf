#pragma once

#include <QDialog>

class CSearchResultModel;
class CTypeAheadListBox;
class QLineEdit;
class QListView;
class QPushButton;

// The search tool: a modeless window that finds a text in the contacts, persons, firms and
// alarms chosen, lists the hits with an icon per kind and opens a hit in its form. The
// search runs in the background and the window answers meanwhile; the results are a model
// read as they are shown, so a search that finds a million records lists at once, and they
// follow the changes made to the file.
class CSearchDlg : public QDialog {
    Q_OBJECT
public:
    CSearchDlg();
    ~CSearchDlg() override;

    QLineEdit* searchEdit() const { return m_text; }
    CTypeAheadListBox* categories() const { return m_categories; }
    QListView* results() const { return m_results; }
    CSearchResultModel* resultModel() const { return m_model; }

    void Search();
    void SelectAll();
    void JumpToSelected();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* m_text;
    CTypeAheadListBox* m_categories;
    QListView* m_results;
    CSearchResultModel* m_model;
};
