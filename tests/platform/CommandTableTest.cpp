#include <gtest/gtest.h>

#include <QDir>
#include <QKeySequence>
#include <QSet>

#include "platform/CommandIcon.h"
#include "platform/CommandIds.h"
#include "platform/CommandTable.h"
#include "platform/ResourceLibrary.h"

namespace {

const QList<int> kToolbarIds{toolbars::Main, toolbars::Notepad, toolbars::RecordForm,
                             toolbars::RecordList};

TEST(CommandTable, ToolbarLayouts) {
    EXPECT_EQ(toolbarLayout(toolbars::Main),
              (QList<int>{1044, 32777, 32775, 32778, 0, 32782, 32781, 32780, 32779, 0, 32773, 0,
                          32785, 0, 32835, 0, 32799, 0, 57670}));
    EXPECT_EQ(toolbarLayout(toolbars::RecordForm),
              (QList<int>{32790, 32791, 32792, 0, 32786, 32787, 32788, 32789, 0, 32793, 0, 32774, 0,
                          32784}));
    EXPECT_EQ(toolbarLayout(toolbars::RecordList),
              (QList<int>{32790, 32791, 0, 32783, 32794, 0, 32793, 0, 32774}));
    EXPECT_TRUE(toolbarLayout(160).isEmpty());
}

TEST(CommandTable, EveryToolbarButtonHasTextsAndAnImageThatDraws) {
    initBuiltInResources();
    for (int toolbar : kToolbarIds) {
        for (int id : toolbarLayout(toolbar)) {
            if (id == 0)
                continue;
            SCOPED_TRACE(id);
            const CommandInfo* info = commandInfo(id);
            ASSERT_NE(info, nullptr);
            EXPECT_FALSE(info->statusText.isEmpty());
            EXPECT_FALSE(info->toolTip.isEmpty());
            ASSERT_FALSE(info->iconName.isEmpty());
            EXPECT_TRUE(imagePath(info->iconName).startsWith(":/icons/"));
            EXPECT_FALSE(commandIcon(id).pixmap(32, 32).isNull());
        }
    }
}

TEST(CommandTable, EveryBundledImageDraws) {
    initBuiltInResources();
    const QStringList images = QDir(":/icons").entryList({"*.svg"});
    EXPECT_GE(images.size(), 30);
    for (const QString& image : images) {
        SCOPED_TRACE(image.toStdString());
        EXPECT_FALSE(namedIcon(image.chopped(4)).pixmap(32, 32).isNull());
    }
    for (const char* kind : {"tarvex", "person", "firm", "contact", "alarm"})
        EXPECT_FALSE(namedIcon(kind).isNull()) << kind;
    EXPECT_FALSE(namedIcon("splash").pixmap(400, 250).isNull());
}

TEST(CommandTable, CommandIdsAreUniqueAndKeyTablesBindKnownCommandsWithValidKeys) {
    QSet<int> ids;
    for (const CommandInfo& info : allCommands()) {
        EXPECT_FALSE(ids.contains(info.id)) << info.id;
        ids.insert(info.id);
        EXPECT_FALSE(info.menuText.isEmpty()) << info.id;
    }
    for (int table : {keytables::Main, keytables::Record}) {
        QSet<QString> keys;
        for (const KeyBinding& binding : keyTable(table)) {
            SCOPED_TRACE(binding.key.toStdString());
            EXPECT_NE(commandInfo(binding.command), nullptr);
            const QKeySequence sequence =
                QKeySequence::fromString(binding.key, QKeySequence::PortableText);
            EXPECT_EQ(sequence.count(), 1);
            EXPECT_EQ(sequence.toString(QKeySequence::PortableText), binding.key);
            EXPECT_FALSE(keys.contains(binding.key)) << "bound twice";
            keys.insert(binding.key);
        }
    }
}

TEST(CommandTable, MainFrameCommands) {
    const CommandInfo* contacts = commandInfo(cmd::ViewContacts);
    ASSERT_NE(contacts, nullptr);
    EXPECT_EQ(contacts->menuText, "&Contacts");
    EXPECT_EQ(contacts->statusText, "View contacts");
    EXPECT_EQ(contacts->keys, QStringList{"Ctrl+1"});
    EXPECT_EQ(commandInfo(cmd::Search)->menuText, "&Search...");
    EXPECT_EQ(commandInfo(cmd::Search)->statusText, "Search tool");
    EXPECT_EQ(commandInfo(cmd::Notepad)->statusText, "Make new text document");
    EXPECT_EQ(commandInfo(cmd::Notepad)->toolTip, "Notepad (Ctrl+7)");
    EXPECT_EQ(commandInfo(cmd::ListAlarms)->keys, QStringList{"Ctrl+Shift+4"});
    EXPECT_EQ(commandInfo(cmd::Help)->keys, QStringList{"F1"});
    EXPECT_EQ(commandInfo(cmd::About)->menuText, "&About Tarvex...");
    EXPECT_EQ(commandInfo(cmd::AppExit)->menuText, "E&xit");
    EXPECT_EQ(commandInfo(cmd::TipOfTheDay)->menuText, "Ti&p of the Day...");
    EXPECT_EQ(commandInfo(cmd::ExitProgram)->menuText, "E&xit program");
    EXPECT_EQ(commandInfo(12345), nullptr);
}

TEST(CommandTable, RecordCommandsAndTheirKeys) {
    EXPECT_EQ(commandInfo(cmd::AddNew)->statusText, "Add new data");
    EXPECT_EQ(commandInfo(cmd::AddNew)->keys, QStringList{"Ctrl+N"});
    EXPECT_EQ(commandInfo(cmd::EraseRecord)->statusText, "Erase data, cancel editing");
    EXPECT_EQ(commandInfo(cmd::EraseRecord)->keys, QStringList{"Ctrl+Del"});
    EXPECT_EQ(commandInfo(cmd::NextRecord)->keys, QStringList{"Ctrl+PgDown"});
    EXPECT_EQ(commandInfo(cmd::Close)->keys, QStringList{"Esc"});
    EXPECT_EQ(commandInfo(cmd::FilterOff)->menuText, "N&o filter");
    EXPECT_EQ(commandInfo(cmd::FilterOff)->statusText, "Filter off");
    EXPECT_EQ(commandInfo(cmd::DateRange)->statusText, "Set date range you wish to browse by");
    // Ctrl+P is the framework's print, not the record printout.
    EXPECT_TRUE(commandInfo(cmd::Print)->keys.isEmpty());
    EXPECT_EQ(commandInfo(cmd::FilePrint)->keys, QStringList{"Ctrl+P"});
}

TEST(CommandTable, RecordKeysWinOverTheMainTable) {
    int f3 = 0;
    for (const KeyBinding& binding : combinedKeyTable({keytables::Record, keytables::Main})) {
        if (binding.key == "F3") {
            EXPECT_EQ(f3, 0) << "F3 listed twice";
            f3 = binding.command;
        }
    }
    EXPECT_EQ(f3, cmd::Filter);
    EXPECT_EQ(commandInfo(cmd::Filter)->toolTip, "Filter (F3)");
}

}  // namespace
