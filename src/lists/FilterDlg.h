#pragma once

#include <QDialog>

class CMyListView;
class QComboBox;
class QLineEdit;

// The Filter dialog of the record lists: which column to filter by (the list's columns in
// their own order, whatever order the user dragged them into) and the text. "&OK" wraps the
// text in "*" so that it is found anywhere in the cell; "&Reset" ends with an empty text,
// which brings all rows back.
class CFilterDlg : public QDialog {
    Q_OBJECT
public:
    CFilterDlg();

    // The list whose columns are offered; set before the dialog runs.
    void setOwnerList(CMyListView* list);

    // After OK: the pattern, and the chosen list column (-1: none).
    QString filterText() const { return m_filterText; }
    int columnIndex() const { return m_columnIndex; }

    QComboBox* columnBox() const { return m_columns; }
    QLineEdit* textEdit() const { return m_text; }

private:
    void onOk();
    void onReset();

    CMyListView* m_owner = nullptr;
    QComboBox* m_columns;
    QLineEdit* m_text;
    QString m_filterText;
    int m_columnIndex = -1;
};
