#pragma once

#include <QList>
#include <QListView>
#include <QStringList>

#include "platform/TypeAheadPrefix.h"

class QStringListModel;

// A list box of texts with type-ahead search: keys typed less than a second apart select
// the first entry that begins with them, ignoring letter case. Backed by a model, so it
// holds a hundred thousand entries without delay. In a multiple-selection list box the
// search moves the current entry and leaves the selection alone; Space still toggles.
class CTypeAheadListBox : public QListView {
    Q_OBJECT
public:
    explicit CTypeAheadListBox(QWidget* parent = nullptr);

    // A sorted list box orders its entries ignoring letter case, independent of the locale.
    void setSorted(bool sorted) { m_sorted = sorted; }
    bool isSorted() const { return m_sorted; }

    void setItems(const QStringList& items);
    QStringList items() const;
    int count() const;
    QString itemText(int row) const;

    int currentRow() const;
    // Selects the row (single selection) or makes it the current row (multiple selection)
    // and scrolls it into view.
    void setCurrentRow(int row);
    QList<int> selectedRows() const;
    // The text of the first selected entry, or an empty text when nothing is selected.
    QString selectedText() const;

    CTypeAheadPrefix& typeAhead() { return m_prefix; }

    // The list's own incremental search is replaced by the type-ahead prefix.
    void keyboardSearch(const QString&) override {}

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QStringListModel* m_model;
    CTypeAheadPrefix m_prefix;
    bool m_sorted = false;
};
