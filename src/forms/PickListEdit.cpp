#include "forms/PickListEdit.h"

#include <QKeyEvent>
#include <QScopedValueRollback>

#include "forms/PickListPopup.h"

namespace {

bool typesCharacter(const QKeyEvent& event) {
    if (event.key() == Qt::Key_Backspace || event.text().isEmpty())
        return false;
    const char16_t first = event.text().front().unicode();
    return first >= 0x20 && first != 0x7f;
}

}  // namespace

CPickListEdit::CPickListEdit(QWidget* parent)
    : QLineEdit(parent),
      m_textColor(palette().color(QPalette::Text)),
      m_backgroundColor(palette().color(QPalette::Base)) {}

void CPickListEdit::setTextColor(const QColor& color) {
    m_textColor = color;
    applyColors();
}

void CPickListEdit::setBackgroundColor(const QColor& color) {
    m_backgroundColor = color;
    applyColors();
}

void CPickListEdit::applyColors() {
    QPalette colours = palette();
    colours.setColor(QPalette::Text, m_textColor);
    colours.setColor(QPalette::Base, m_backgroundColor);
    setPalette(colours);
}

bool CPickListEdit::takesKey(int key) const {
    return (key == Qt::Key_F4 && offersList()) || (key == Qt::Key_F7 && m_resolveOnF7);
}

bool CPickListEdit::event(QEvent* event) {
    // F4 and F7 belong to the field while it has a use for them, even if a window-wide
    // shortcut uses the same key.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier && takesKey(key->key())) {
            event->accept();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void CPickListEdit::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier) {
        if (event->key() == Qt::Key_F7 && m_resolveOnF7)
            emit resolveRequested(m_resolveMessage);
        if (event->key() == Qt::Key_F4 && offersList())
            showList();
    }
    QLineEdit::keyPressEvent(event);
    if (typesCharacter(*event))
        complete();
}

void CPickListEdit::inputMethodEvent(QInputMethodEvent* event) {
    QLineEdit::inputMethodEvent(event);
    if (!event->commitString().isEmpty())
        complete();
}

void CPickListEdit::complete() {
    if (!offersList())
        return;
    const QString typed = text();
    if (typed.isEmpty())
        return;
    for (const QString& entry : *m_list) {
        if (entry.startsWith(typed, Qt::CaseInsensitive)) {
            setText(entry);
            // The completed tail stays selected, so typing on replaces it.
            setSelection(typed.size(), entry.size() - typed.size());
            return;
        }
    }
}

void CPickListEdit::showList() {
    const QScopedValueRollback shown(m_listShown, true);
    const QRect area(mapToGlobal(QPoint(0, 0)), QSize(width(), kPopupHeight));
    CPickListPopup popup(area, *m_list, text(), this);
    if (popup.exec() == QDialog::Accepted)
        setText(popup.selectedText());
}
