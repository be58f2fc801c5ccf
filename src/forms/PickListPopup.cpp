#include "forms/PickListPopup.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/TypeAheadListBox.h"

namespace {

// The pop-up hangs from the field's top; near the bottom of the screen it is lifted so that
// the whole list stays visible.
QRect keptOnScreen(QRect area) {
    const QScreen* screen = QGuiApplication::screenAt(area.topLeft());
    if (!screen)
        return area;
    const QRect available = screen->availableGeometry();
    if (area.bottom() > available.bottom())
        area.moveBottom(available.bottom());
    return area;
}

}  // namespace

CPickListPopup::CPickListPopup(const QRect& area, const QStringList& list,
                               const QString& initialText, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_listBox(new CTypeAheadListBox) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->addWidget(m_listBox);

    m_listBox->setSorted(true);
    m_listBox->setItems(list);
    if (!initialText.isEmpty()) {
        for (int row = 0; row < m_listBox->count(); ++row) {
            if (m_listBox->itemText(row).startsWith(initialText, Qt::CaseInsensitive)) {
                m_listBox->setCurrentRow(row);
                break;
            }
        }
    }
    connect(m_listBox, &CTypeAheadListBox::doubleClicked, this, &CPickListPopup::accept);

    setGeometry(keptOnScreen(area));
    m_listBox->setFocus();
}

void CPickListPopup::accept() {
    m_selected = m_listBox->selectedText();
    QDialog::accept();
}

void CPickListPopup::keyPressEvent(QKeyEvent* event) {
    // The list box passes Enter on; with no default button the pop-up takes it itself.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
