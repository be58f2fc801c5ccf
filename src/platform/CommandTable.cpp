#include "platform/CommandTable.h"

#include <QHash>
#include <QSet>
#include <map>

#include "platform/CommandIds.h"

namespace {

// Framework editing and formatting commands used by the notepad.
constexpr int kPrintDirect = 57608;
constexpr int kPrintPreview = 57609;
constexpr int kEditCopy = 57634;
constexpr int kEditCut = 57635;
constexpr int kEditFind = 57636;
constexpr int kEditPaste = 57637;
constexpr int kEditRepeat = 57640;
constexpr int kEditReplace = 57641;
constexpr int kEditSelectAll = 57642;
constexpr int kEditUndo = 57643;
constexpr int kEditRedo = 57644;
constexpr int kBold = 32888;
constexpr int kItalic = 32889;
constexpr int kUnderline = 32890;
constexpr int kAlignLeft = 32891;
constexpr int kAlignRight = 32892;
constexpr int kAlignCenter = 32893;

struct CommandEntry {
    int id;
    const char* menuText;
    const char* statusText;
    const char* toolTip;  // without the key, which is added from the key tables
    const char* iconName;
};

// clang-format off
constexpr CommandEntry kCommands[] = {
    // Windows by kind.
    {cmd::ViewContacts, "&Contacts", "View contacts", "Contacts", "contact"},
    {cmd::ViewPersons, "&Persons", "View persons", "Persons", "person"},
    {cmd::ViewCompanies, "C&ompanies", "View companies", "Companies", "firm"},
    {cmd::ViewAlarms, "&Alarms", "View alarms", "Alarms", "alarm"},
    {cmd::ViewGroups, "&Groups", "View groups", "Groups", "groups"},
    {cmd::ListContacts, "List contacts", "List contacts", "List contacts", "list-contacts"},
    {cmd::ListPersons, "List persons", "List persons", "List persons", "list-persons"},
    {cmd::ListCompanies, "List companies", "List companies", "List companies", "list-companies"},
    {cmd::ListAlarms, "List alarms", "List alarms", "List alarms", "list-alarms"},
    {cmd::NewContact, "&New contact", "Log a new contact", "New contact", "new-contact"},
    {cmd::NewPerson, "New person", "Add a new person", "New person", "new-person"},
    {cmd::NewCompany, "New company", "Add a new company", "New company", "new-company"},
    {cmd::NewAlarm, "New alarm", "Set a new alarm", "New alarm", "new-alarm"},
    {cmd::Search, "&Search...", "Search tool", "Search", "search"},
    {cmd::Import, "&Import...", "Import persons and companies from a vCard or CSV file", "Import", ""},
    {cmd::Export, "&Export...", "Export persons, companies or alarms to a file", "Export", ""},
    {cmd::Backup, "&Back up...", "Write a copy of the contacts file while you work", "Back up", ""},
    {cmd::RestoreBackup, "&Restore...", "Put a backup in place of the contacts file", "Restore", ""},
    {cmd::SyncAccounts, "S&ync accounts...", "Choose the server and address book to sync with", "Sync accounts", ""},
    {cmd::SyncNow, "Sync &now", "Sync persons and companies with the server now", "Sync now", "sync"},
    {cmd::Notepad, "&Notepad", "Make new text document", "Notepad", "notepad"},
    {cmd::Options, "&Options...", "Change the program's options", "Options", ""},
    {cmd::FindDuplicates, "Find &duplicates...", "Find persons and companies that are probably one, and merge them", "Find duplicates", ""},
    {cmd::UndoMerge, "&Undo last merge", "Put back the records of the last merge as they were", "Undo last merge", ""},
    {cmd::CopyToServer, "&Copy contacts file to server...", "Copy the contacts file into an empty database on a team's PostgreSQL server", "Copy contacts file to server", ""},
    {cmd::CopyFromServer, "Copy &server to contacts file...", "Copy a team's PostgreSQL database into a new contacts file", "Copy server to contacts file", ""},
    {cmd::Help, "&Help", "Shows help file", "Help", "help"},
    {cmd::RestoreProgram, "Restore program", "Show program window", "Restore program", ""},
    {cmd::ExitProgram, "E&xit program", "Exit program", "Exit program", ""},

    // Record commands of forms and lists.
    {cmd::AddNew, "&New record", "Add new data", "Add new", "add-new"},
    {cmd::EditRecord, "&View record", "Edit data", "Edit", "edit"},
    {cmd::SaveRecord, "&Save record", "Save data", "Save", "save"},
    {cmd::EraseRecord, "&Delete", "Erase data, cancel editing", "Erase", "erase"},
    {cmd::FirstRecord, "&First record", "First record", "First record", "first"},
    {cmd::PreviousRecord, "Pre&vious record", "Previous record", "Previous record", "previous"},
    {cmd::NextRecord, "Ne&xt record", "Next record", "Next record", "next"},
    {cmd::LastRecord, "&Last record", "Last record", "Last record", "last"},
    {cmd::Filter, "&Filter", "Filter", "Filter", "filter"},
    {cmd::FilterOff, "N&o filter", "Filter off", "No filter", "filter-off"},
    {cmd::ListRecords, "L&ist records", "List records", "List records", "list-records"},
    {cmd::Print, "&Print", "Print", "Print", "print"},
    {cmd::DateRange, "&Date range...", "Set date range you wish to browse by", "Date range", ""},
    {cmd::Close, "&Close", "", "Close", ""},
    {cmd::ShowHiddenColumns, "Show hidden columns", "Show hidden columns", "Show hidden columns", ""},

    // Application and framework commands.
    {cmd::TipOfTheDay, "Ti&p of the Day...", "Displays a Tip of the Day.", "Tip of the Day", ""},
    {cmd::About, "&About Tarvex...", "Display program information and version number", "About", "tarvex"},
    {cmd::FileNew, "&New", "Create a new document", "New", "file-new"},
    {cmd::FileOpen, "&Open...", "Open an existing document", "Open", "file-open"},
    {cmd::FileSave, "&Save", "Save the active document", "Save", "save"},
    {cmd::FileSaveAs, "Save &As...", "Save the active document with a new name", "Save As", ""},
    {cmd::PrintSetup, "P&rint Setup...", "Change the printer and printing options", "Print Setup", ""},
    {cmd::FilePrint, "&Print...", "Print the active document", "Print", "print"},
    {kPrintPreview, "Print Pre&view", "Display full pages", "Print Preview", ""},
    {cmd::AppExit, "E&xit", "Quit the application; prompts to save documents", "Exit", ""},
    {cmd::WindowCascade, "&Cascade", "Arrange windows so they overlap", "Cascade", ""},
    {cmd::WindowTile, "&Tile", "Arrange windows as non-overlapping tiles", "Tile", ""},
    {cmd::WindowArrange, "&Arrange Icons", "Arrange icons at the bottom of the window", "Arrange Icons", ""},
    {cmd::ViewToolbar, "&Toolbar", "Show or hide the toolbar", "Toolbar", ""},
    {cmd::ViewStatusBar, "&Status Bar", "Show or hide the status bar", "Status Bar", ""},

    // Notepad editing and formatting.
    {kEditUndo, "&Undo", "Undo the last action", "Undo", ""},
    {kEditRedo, "&Redo", "Redo the previously undone action", "Redo", ""},
    {kPrintDirect, "Print &Direct", "Print the active document without asking", "Print Direct", ""},
    {kEditCut, "Cu&t", "Cut the selection and put it on the Clipboard", "Cut", "cut"},
    {kEditCopy, "&Copy", "Copy the selection and put it on the Clipboard", "Copy", "copy"},
    {kEditPaste, "&Paste", "Insert Clipboard contents", "Paste", "paste"},
    {kEditSelectAll, "Select &All", "Select the entire document", "Select All", ""},
    {kEditFind, "&Find...", "Find the specified text", "Find", "find"},
    {kEditRepeat, "Find &Next", "Find the next occurrence of the text", "Find Next", ""},
    {kEditReplace, "R&eplace...", "Replace specific text with different text", "Replace", ""},
    {kBold, "&Bold", "Toggle boldface on or off", "Bold", "bold"},
    {kItalic, "&Italic", "Toggle italics on or off", "Italic", "italic"},
    {kUnderline, "&Underline", "Toggle underline on or off", "Underline", "underline"},
    {kAlignLeft, "Align &Left", "Align text flush left", "Align left", "align-left"},
    {kAlignCenter, "&Center", "Center text between margins", "Align Center", "align-center"},
    {kAlignRight, "Align &Right", "Align text flush right", "Align right", "align-right"},
};

const std::map<int, QList<int>> kToolbars{
    {toolbars::Main, {cmd::NewContact, cmd::NewPerson, cmd::NewCompany, cmd::NewAlarm, 0,
                      cmd::ListContacts, cmd::ListPersons, cmd::ListCompanies, cmd::ListAlarms, 0,
                      cmd::ViewGroups, 0, cmd::Search, 0, cmd::SyncNow, 0, cmd::Notepad, 0, cmd::Help}},
    {toolbars::Notepad, {cmd::FileNew, cmd::FileOpen, cmd::FileSave, 0, kEditCut, kEditCopy,
                         kEditPaste, 0, kBold, kItalic, kUnderline, 0, kAlignLeft, kAlignCenter,
                         kAlignRight, 0, kEditFind, 0, cmd::FilePrint}},
    {toolbars::RecordForm, {cmd::AddNew, cmd::EditRecord, cmd::SaveRecord, 0, cmd::FirstRecord,
                            cmd::PreviousRecord, cmd::NextRecord, cmd::LastRecord, 0,
                            cmd::EraseRecord, 0, cmd::Print, 0, cmd::ListRecords}},
    {toolbars::RecordList, {cmd::AddNew, cmd::EditRecord, 0, cmd::Filter, cmd::FilterOff, 0,
                            cmd::EraseRecord, 0, cmd::Print}},
};

// The notepad has no panes and no embedded objects, so the main table leaves out the pane
// keys (F6, Shift+F6) and the object-properties key (Alt+Enter).
const std::map<int, QList<KeyBinding>> kKeyTables{
    {keytables::Record, {{"Ctrl+N", cmd::AddNew}, {"F2", cmd::EditRecord},
                         {"Alt+S", cmd::SaveRecord}, {"Ctrl+Del", cmd::EraseRecord},
                         {"Ctrl+Home", cmd::FirstRecord}, {"Ctrl+PgUp", cmd::PreviousRecord},
                         {"Ctrl+PgDown", cmd::NextRecord}, {"Ctrl+End", cmd::LastRecord},
                         {"F3", cmd::Filter}, {"F5", cmd::ListRecords}, {"Esc", cmd::Close},
                         {"Ctrl+P", cmd::FilePrint}}},
    {keytables::Main, {{"Ctrl+1", cmd::ViewContacts}, {"Ctrl+2", cmd::ViewPersons},
                       {"Ctrl+3", cmd::ViewCompanies}, {"Ctrl+4", cmd::ViewAlarms},
                       {"Ctrl+5", cmd::ViewGroups}, {"Ctrl+6", cmd::Search},
                       {"Ctrl+7", cmd::Notepad}, {"Ctrl+Shift+1", cmd::ListContacts},
                       {"Ctrl+Shift+2", cmd::ListPersons}, {"Ctrl+Shift+3", cmd::ListCompanies},
                       {"Ctrl+Shift+4", cmd::ListAlarms}, {"F1", cmd::Help}, {"F9", cmd::SyncNow},
                       {"Ctrl+A", kEditSelectAll}, {"Ctrl+C", kEditCopy}, {"Ctrl+V", kEditPaste},
                       {"Ctrl+X", kEditCut}, {"Ctrl+Z", kEditUndo}, {"Ctrl+F", kEditFind},
                       {"Ctrl+H", kEditReplace}, {"F3", kEditRepeat}, {"Ctrl+O", cmd::FileOpen},
                       {"Ctrl+P", cmd::FilePrint}, {"Ctrl+B", kBold}, {"Ctrl+I", kItalic},
                       {"Ctrl+U", kUnderline}, {"Ctrl+Ins", kEditCopy}, {"Shift+Ins", kEditPaste},
                       {"Shift+Del", kEditCut}, {"Alt+Backspace", kEditUndo}}},
};
// clang-format on

struct Commands {
    QList<CommandInfo> list;
    QHash<int, qsizetype> index;
};

const Commands& commands() {
    static const Commands table = [] {
        Commands built;
        const QList<KeyBinding> keys = combinedKeyTable({keytables::Record, keytables::Main});
        for (const CommandEntry& entry : kCommands) {
            CommandInfo info;
            info.id = entry.id;
            info.menuText = QString::fromUtf8(entry.menuText);
            info.statusText = QString::fromUtf8(entry.statusText);
            info.iconName = QString::fromUtf8(entry.iconName);
            for (const KeyBinding& binding : keys) {
                if (binding.command == entry.id)
                    info.keys.append(binding.key);
            }
            info.toolTip = QString::fromUtf8(entry.toolTip);
            if (!info.keys.isEmpty())
                info.toolTip += QStringLiteral(" (%1)").arg(info.keys.first());
            built.index.insert(info.id, built.list.size());
            built.list.append(info);
        }
        return built;
    }();
    return table;
}

}  // namespace

const CommandInfo* commandInfo(int id) {
    const Commands& table = commands();
    const auto it = table.index.constFind(id);
    return it == table.index.constEnd() ? nullptr : &table.list[*it];
}

const QList<CommandInfo>& allCommands() {
    return commands().list;
}

QList<int> toolbarLayout(int toolbarId) {
    const auto it = kToolbars.find(toolbarId);
    return it == kToolbars.end() ? QList<int>() : it->second;
}

QList<KeyBinding> keyTable(int tableId) {
    const auto it = kKeyTables.find(tableId);
    return it == kKeyTables.end() ? QList<KeyBinding>() : it->second;
}

QList<KeyBinding> combinedKeyTable(const QList<int>& tableIds) {
    QList<KeyBinding> combined;
    QSet<QString> taken;
    for (int tableId : tableIds) {
        for (const KeyBinding& binding : keyTable(tableId)) {
            const QString key = binding.key.toLower();
            if (taken.contains(key))
                continue;
            taken.insert(key);
            combined.append(binding);
        }
    }
    return combined;
}
