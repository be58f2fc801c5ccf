#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Everything the menus, toolbars and key tables show of a command.
struct CommandInfo {
    int id = 0;
    QString menuText;    // with its '&' mnemonic, without the key text
    QString statusText;  // shown in the status bar while the command is highlighted
    QString toolTip;     // the short name, followed by the first key in parentheses
    QString iconName;    // the image "<name>" (see imagePath()); empty when it has none
    QStringList keys;    // keys that run the command, in QKeySequence's portable text
};

// A key of a key table, in QKeySequence's portable text ("Ctrl+PgUp").
struct KeyBinding {
    QString key;
    int command = 0;
};

namespace toolbars {
inline constexpr int Main = 113;
inline constexpr int Notepad = 114;
inline constexpr int RecordForm = 119;
inline constexpr int RecordList = 122;
}  // namespace toolbars

namespace keytables {
inline constexpr int Main = 113;
// The record commands; translated before the main table, so a key bound in both runs the
// record command.
inline constexpr int Record = 119;
}  // namespace keytables

// The command's entry, or nullptr for an id that no menu, toolbar or key uses.
const CommandInfo* commandInfo(int id);
// Every command, in table order.
const QList<CommandInfo>& allCommands();

// The buttons of a toolbar from left to right, 0 for a separator; empty for an unknown id.
QList<int> toolbarLayout(int toolbarId);

// The bindings of a key table; empty for an unknown id.
QList<KeyBinding> keyTable(int tableId);
// The bindings of several tables translated in the given order: for a key bound in more
// than one, the first table's binding wins.
QList<KeyBinding> combinedKeyTable(const QList<int>& tableIds);
