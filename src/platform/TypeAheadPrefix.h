#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

// The typed prefix of a type-ahead list: keys typed less than a second apart build one
// prefix, and the list selects the first entry that begins with it. Shared by the list box
// and the drop-down list, which only map rows to texts and apply the result.
class CTypeAheadPrefix : public QObject {
    Q_OBJECT
public:
    static constexpr int kTimeoutMs = 1000;

    explicit CTypeAheadPrefix(QObject* parent = nullptr);

    // Takes one key press (a Qt::Key and the text it typed). Backspace drops the last
    // character, Esc empties the prefix, a printable character is appended; each of them
    // restarts the one-second timer and returns true. Any other key is left alone (false).
    bool feed(int key, const QString& text);

    // True for a key press that feed() would take, i.e. one that is not a shortcut.
    static bool isTypeAheadKey(int key, const QString& text, Qt::KeyboardModifiers modifiers);

    // The row to select among `count` entries for the current prefix: the first entry that
    // begins with the prefix ignoring letter case, row 0 for an empty prefix, or -1 when
    // nothing matches (the caller beeps when the prefix is not empty) or the list is empty.
    int find(int count, const std::function<QString(int)>& entryAt) const;

    const QString& text() const { return m_text; }
    bool isTiming() const { return m_timer.isActive(); }

public slots:
    // The timer ran out: the next key starts a new prefix.
    void expire();

private:
    QString m_text;
    QTimer m_timer;
};
