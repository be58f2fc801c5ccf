#include "app/CommandActions.h"

#include <QAction>
#include <QKeySequence>
#include <QWidget>
#include <algorithm>

#include "platform/CommandIcon.h"
#include "platform/CommandIds.h"
#include "platform/CommandTable.h"

namespace {

CommandActions* liveActions = nullptr;
QHash<int, QAction*> actionsById;

bool isToggle(int id) {
    // The notepad's formatting commands show whether the selection has their format.
    constexpr int kFormatCommands[] = {32888, 32889, 32890, 32891, 32892, 32893};
    return id == cmd::ViewToolbar || id == cmd::ViewStatusBar ||
           std::find(std::begin(kFormatCommands), std::end(kFormatCommands), id) !=
               std::end(kFormatCommands);
}

}  // namespace

CommandActions::CommandActions(QWidget* owner, std::function<void(int)> dispatch) : QObject(owner) {
    liveActions = this;
    // A key bound in both tables runs the record command: the record table is read first.
    QHash<int, QList<QKeySequence>> keysById;
    for (const KeyBinding& binding : combinedKeyTable({keytables::Record, keytables::Main}))
        keysById[binding.command].append(QKeySequence(binding.key, QKeySequence::PortableText));
    for (const CommandInfo& info : allCommands()) {
        auto* action = new QAction(commandIcon(info.id), info.menuText, owner);
        action->setObjectName(QStringLiteral("command_%1").arg(info.id));
        action->setData(info.id);
        action->setStatusTip(info.statusText);
        action->setToolTip(info.toolTip.isEmpty() ? info.statusText : info.toolTip);
        action->setShortcuts(keysById.value(info.id));
        action->setShortcutContext(Qt::WindowShortcut);
        action->setCheckable(isToggle(info.id));
        connect(action, &QAction::triggered, this, [dispatch, id = info.id] { dispatch(id); });
        owner->addAction(action);
        actionsById.insert(info.id, action);
    }
    m_actions = actionsById;
}

CommandActions::~CommandActions() {
    if (liveActions == this) {
        liveActions = nullptr;
        actionsById.clear();
    }
}

void CommandActions::setMenuText(int id, const QString& text) {
    QAction* a = action(id);
    if (!a)
        return;
    const CommandInfo* info = commandInfo(id);
    a->setText(text.isEmpty() && info ? info->menuText : text);
}

void CommandActions::setChecked(int id, bool checked) {
    if (QAction* a = action(id))
        a->setChecked(checked);
}

QAction* commandAction(int id) {
    return liveActions ? actionsById.value(id, nullptr) : nullptr;
}
