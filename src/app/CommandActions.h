#pragma once

#include <QHash>
#include <QObject>
#include <functional>

class QAction;
class QWidget;

// One QAction per command id, created once and shared by the menus and toolbars of the main
// window and its child frames. Triggering an action runs the dispatcher with its id.
class CommandActions : public QObject {
    Q_OBJECT
public:
    CommandActions(QWidget* owner, std::function<void(int)> dispatch);
    ~CommandActions() override;

    QAction* action(int id) const { return m_actions.value(id, nullptr); }
    QList<int> ids() const { return m_actions.keys(); }
    // Shows the given menu text for the command; an empty text restores its own.
    void setMenuText(int id, const QString& text);
    void setChecked(int id, bool checked);

private:
    QHash<int, QAction*> m_actions;
};

// The action of a command of the live main window, or nullptr.
QAction* commandAction(int id);
