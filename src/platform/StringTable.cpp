#include "platform/StringTable.h"

#include <QHash>

#include "platform/ResourceLibrary.h"

namespace {

struct StringEntry {
    int id;
    const char* text;  // UTF-8
};

// clang-format off
constexpr StringEntry kStrings[] = {
    {101, "OLE initialization failed.  Make sure that the OLE libraries are the correct "
          "version."},
    {106, "Displays a Tip of the Day."},
    {108, "Ti&p of the Day..."},
    {110, "Tips file does not exist\r\nin the prescribed directory"},
    {111, "Trouble reading the tips file"},
    {113, "Tarvex"},
    // Document strings of the window kinds: the second field is the kind's name.
    {114, "\nNotepad\n\nTarvex Files (*.rtf)\n.rtf\nVond.Document\nVond Document"},
    {121, "\nPerson\n\n\n\nVond2.Document\nVond2 Document"},
    {123, "\nContact\n\n\n\nVond3.Document\nVond3 Document"},
    {125, "\nAlarm\n\n\n\nVond4.Document\nVond4 Document"},
    {128, "\nGroup\n\n\n\nVond5.Document\nVond5 Document"},
    {131, "\nFirm\n\n\n\nVond6.Document\nVond6 Document"},
    {133, "\nAlarmlist\n\n\n\nVond4.Document\nVond4 Document"},
    {135, "\nContactlist\n\n\n\nVond3.Document\nVond3 Document"},
    {137, "\nFirmlist\n\n\n\nVond6.Document\nVond6 Document"},
    {139, "\nPersonlist\n\n\n\nVond2.Document\nVond2 Document"},
    {142, "\nZikinfo\n\n\n\nVond2.Document\nVond2 Document"},
    {143, "\nZikinfo2\n\n\n\nVond2.Document\nVond2 Document"},
    {57344, "Tarvex"},
    {60000, "Hide history <<<"},
    {60001, "First add new or select existing group"},
    {60002, "WARNING!\n\nAre you sure you want to delete current record?"},
    {60003, "Cancel editing?"},
    {60006, "Firm you used does not exist in the firm list. Use new firm option to add it."
            "\r\n\r\nYou can press F4 in a firm name field to see list of used firm names."},
    {60007, "Person data you used does not exist in the person list. Use new person option "
            "to add it."},
    {60010, "No firm with given id."},
    {60013, "Nothing to print"},
    {60014, "Are you sure you want to show all columns?"},
    {60015, "Do you want to save changed Zik info data of "},
    {60016, "Can't show zik info while editing data."},
    {60017, "No user with given id."},
    {60018, "Show history >>"},
    {60019, "New password must be entered twice."},
    {60020, "New  password set!"},
    {60021, "In order to change password all opened windows will be automaticaly closed and "
            "unsaved data will be lost.\n\nContinue?"},
    {60023, "All pending alarms will be disabled while Tarvex is not running.\n\nAre you sure "
            "you want to exit?"},
    {60024, "DAO not installed. Please install DAO 3.5 or higher.\n\nDAO archives can be "
            "found on Tarvex home page or can be installed with Microsoft MSAccess (tm).\n\n"
            "Home page: https://tarvex.orvandel.example\nE-mail: support@orvandel.example"
            "\n\n* If you installed this program from the CD, you can install DAO also, check "
            "the DAO directory on the CD."},
    {60028, "Done"},
    {60029, "Pending"},
    {60030, "Disabled"},
    {60031, "Every year"},
    {60032, "Every month"},
    {60033, "Every day"},
    {60034, "Date/time you entered already passed, so alarm will not have a chance to be "
            "triggered.\n\nDo you want me to save invalid alarm?"},
    {60035, "Press F4 for list of possible values"},
    {60036, "Company profiles"},
    {60037, "Persons"},
    {60038, "Contacts"},
    {60039, "Alarms"},
    {60040, "Groups"},
    {60044, "Text zikinfo - "},
};
// clang-format on

const QHash<int, QString>& builtInStrings() {
    static const QHash<int, QString> strings = [] {
        QHash<int, QString> table;
        for (const StringEntry& entry : kStrings)
            table.insert(entry.id, QString::fromUtf8(entry.text));
        return table;
    }();
    return strings;
}

}  // namespace

QString loadString(int id) {
    if (auto own = resourceLibraryString(id))
        return *own;
    return builtInStrings().value(id);
}
