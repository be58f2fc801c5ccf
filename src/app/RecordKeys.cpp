#include "app/RecordKeys.h"

#include <QKeyEvent>
#include <QWidget>
#include <utility>

#include "platform/CommandTable.h"

CRecordKeys::CRecordKeys(const QWidget* window, std::function<bool(int)> isEnabled,
                         std::function<void(int)> run)
    : m_window(window), m_isEnabled(std::move(isEnabled)), m_run(std::move(run)) {
    for (const KeyBinding& binding : keyTable(keytables::Record)) {
        const QKeySequence key(binding.key, QKeySequence::PortableText);
        if (!m_commands.contains(key))
            m_commands.insert(key, binding.command);
    }
}

bool CRecordKeys::translate(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
        return false;
    const auto* widget = qobject_cast<const QWidget*>(watched);
    if (!widget || widget->window() != m_window)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    // Ctrl+End from the number pad is Ctrl+End.
    const QKeyCombination pressed(key->modifiers() & ~Qt::KeypadModifier,
                                  static_cast<Qt::Key>(key->key()));
    if (type == QEvent::KeyPress && std::exchange(m_ranOnOverride, {}) == pressed) {
        key->accept();
        return true;
    }
    const int id = command(QKeySequence(pressed));
    if (id == 0 || !m_isEnabled(id))
        return false;
    // The command runs where a shortcut would, when the key is offered as one; claiming the
    // override keeps every shortcut (a mnemonic with the same letter among them) from the
    // key, which then arrives as a key press that goes no further.
    key->accept();
    if (type == QEvent::ShortcutOverride)
        m_ranOnOverride = pressed;
    m_run(id);
    return true;
}
