#pragma once

#include <QHash>
#include <QKeySequence>
#include <functional>

class QEvent;
class QObject;
class QWidget;

// The record keys (key table 119) of a main window and its child windows, translated before
// anything else sees the key: the focused control, a mnemonic that happens to use the same
// letter, or another shortcut of the window. Qt would call a record key and a mnemonic with
// the same key ambiguous and run neither. A key whose command is disabled is left alone, so
// that a window that has no use for it (Ctrl+Home in a notepad) gets it as usual.
class CRecordKeys {
public:
    CRecordKeys(const QWidget* window, std::function<bool(int)> isEnabled,
                std::function<void(int)> run);

    // Runs the command of a record key pressed in the window; true when the event was one
    // and must go no further.
    bool translate(QObject* watched, QEvent* event);
    // The command of a record key, or 0.
    int command(const QKeySequence& key) const { return m_commands.value(key, 0); }

private:
    const QWidget* m_window;
    std::function<bool(int)> m_isEnabled;
    std::function<void(int)> m_run;
    QHash<QKeySequence, int> m_commands;
    // The key whose command ran when it was offered as a shortcut; its key press follows.
    QKeyCombination m_ranOnOverride;
};
