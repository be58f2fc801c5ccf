#include "platform/TypeAheadListBox.h"

#include <QKeyEvent>
#include <QStringListModel>
#include <algorithm>
#include <utility>
#include <vector>

#include "platform/CaseFold.h"
#include "platform/Prompter.h"

namespace {

// Case folding once per entry keeps the sort fast for long lists; entries that fold alike
// are ordered by their exact text so the order never depends on the input order.
QStringList sortedIgnoringCase(const QStringList& items) {
    std::vector<std::pair<QString, qsizetype>> keys;
    keys.reserve(items.size());
    for (qsizetype i = 0; i < items.size(); ++i)
        keys.emplace_back(caseFolded(items[i]), i);
    std::sort(keys.begin(), keys.end(), [&items](const auto& a, const auto& b) {
        if (a.first != b.first)
            return a.first < b.first;
        return items[a.second] < items[b.second];
    });
    QStringList sorted;
    sorted.reserve(items.size());
    for (const auto& key : keys)
        sorted.append(items[key.second]);
    return sorted;
}

}  // namespace

CTypeAheadListBox::CTypeAheadListBox(QWidget* parent)
    : QListView(parent), m_model(new QStringListModel(this)) {
    setModel(m_model);
    setEditTriggers(NoEditTriggers);
    setUniformItemSizes(true);
}

void CTypeAheadListBox::setItems(const QStringList& items) {
    m_model->setStringList(m_sorted ? sortedIgnoringCase(items) : items);
}

QStringList CTypeAheadListBox::items() const {
    QStringList texts;
    texts.reserve(count());
    for (int row = 0; row < count(); ++row)
        texts.append(itemText(row));
    return texts;
}

int CTypeAheadListBox::count() const {
    return model()->rowCount(rootIndex());
}

QString CTypeAheadListBox::itemText(int row) const {
    return model()->index(row, modelColumn(), rootIndex()).data(Qt::DisplayRole).toString();
}

int CTypeAheadListBox::currentRow() const {
    return currentIndex().row();
}

void CTypeAheadListBox::setCurrentRow(int row) {
    const QModelIndex index = model()->index(row, modelColumn(), rootIndex());
    const bool single = selectionMode() == SingleSelection;
    if (!index.isValid()) {
        if (single)
            selectionModel()->clear();
        return;
    }
    selectionModel()->setCurrentIndex(
        index, single ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::NoUpdate);
    scrollTo(index);
}

QList<int> CTypeAheadListBox::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QString CTypeAheadListBox::selectedText() const {
    const QList<int> rows = selectedRows();
    return rows.isEmpty() ? QString() : itemText(rows.front());
}

void CTypeAheadListBox::keyPressEvent(QKeyEvent* event) {
    const bool toggles = event->key() == Qt::Key_Space && selectionMode() == MultiSelection;
    if (toggles ||
        !CTypeAheadPrefix::isTypeAheadKey(event->key(), event->text(), event->modifiers())) {
        QListView::keyPressEvent(event);
        return;
    }
    m_prefix.feed(event->key(), event->text());
    if (event->key() == Qt::Key_Escape) {
        // Esc stays the dialog's cancel key.
        event->ignore();
        return;
    }
    event->accept();
    const int row = m_prefix.find(count(), [this](int r) { return itemText(r); });
    if (row >= 0) {
        setCurrentRow(row);
    } else if (!m_prefix.text().isEmpty()) {
        prompter().beep();
    }
}
