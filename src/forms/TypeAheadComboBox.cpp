#include "forms/TypeAheadComboBox.h"

#include <QAbstractItemView>
#include <QKeyEvent>

#include "platform/Prompter.h"

CTypeAheadComboBox::CTypeAheadComboBox(QWidget* parent)
    : QComboBox(parent), m_background(palette().color(QPalette::Base)) {
    setEditable(false);
    QPalette colours = palette();
    colours.setColor(QPalette::Button, m_background);
    setPalette(colours);
    // Keys typed into the open drop-down reach its list first; take them there.
    view()->installEventFilter(this);
}

void CTypeAheadComboBox::keyPressEvent(QKeyEvent* event) {
    if (!typeAheadKey(event, false))
        QComboBox::keyPressEvent(event);
}

bool CTypeAheadComboBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view() && event->type() == QEvent::KeyPress &&
        typeAheadKey(static_cast<QKeyEvent*>(event), true)) {
        return true;
    }
    return QComboBox::eventFilter(watched, event);
}

bool CTypeAheadComboBox::typeAheadKey(QKeyEvent* event, bool inDropDown) {
    if (!CTypeAheadPrefix::isTypeAheadKey(event->key(), event->text(), event->modifiers())) {
        return false;
    }
    m_prefix.feed(event->key(), event->text());
    // Esc still closes the drop-down or reaches the form.
    if (event->key() == Qt::Key_Escape)
        return false;
    event->accept();
    const int row = m_prefix.find(count(), [this](int r) { return itemText(r); });
    if (row < 0) {
        if (!m_prefix.text().isEmpty())
            prompter().beep();
    } else if (inDropDown) {
        view()->setCurrentIndex(model()->index(row, modelColumn(), rootModelIndex()));
    } else if (row != currentIndex()) {
        setCurrentIndex(row);
        emit activated(row);
        emit textActivated(itemText(row));
    }
    return true;
}
