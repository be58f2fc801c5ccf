#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "DuplicatesTest.h"
#include "data/ChangeNotifier.h"
#include "duplicates/DuplicateGroupModel.h"
#include "duplicates/DuplicatesDialog.h"
#include "duplicates/MergeGrid.h"
#include "duplicates/MergeHistory.h"
#include "platform/IniFile.h"

using namespace duplicates;

namespace {

class DuplicatesDialogTest : public DuplicatesTest {
protected:
    void SetUp() override {
        DuplicatesTest::SetUp();
        insert("Person", {"lastname", "firstname"}, {"Müller", "Jürgen"});
        insert("Person", {"lastname", "firstname", "email_home"},
               {"Mueller", "Juergen", "jm@example.com"});
        insert("Person", {"lastname", "firstname"}, {"Berg", "Eva"});
        insert("Firm", {"name"}, {"Acme"});
        insert("Firm", {"name", "phone1"}, {"ACME", "+49 89 1234 5678"});
        insert("Contact", {"person", "firm"}, {"Mueller Juergen", "ACME"});
        insert("Contact", {"person"}, {"Müller Jürgen"});
    }

    // The dialog once its search has ended.
    std::unique_ptr<CDuplicatesDialog> openDialog() {
        auto dialog = std::make_unique<CDuplicatesDialog>(db, history, settingsPath());
        waitForSearch(*dialog);
        return dialog;
    }
    static void waitForSearch(CDuplicatesDialog& dialog) {
        if (dialog.isSearching()) {
            QSignalSpy ended(&dialog, &CDuplicatesDialog::searchEnded);
            ASSERT_TRUE(ended.wait(10000));
        }
    }
    static void click(CDuplicatesDialog& dialog, const char* name) {
        auto* button = dialog.findChild<QAbstractButton*>(QLatin1String(name));
        ASSERT_NE(button, nullptr) << name;
        ASSERT_TRUE(button->isEnabled()) << name;
        button->click();
    }
    QString settingsPath() const { return path(QStringLiteral("Tarvex.ini")); }

    CMergeHistory history;
};

TEST_F(DuplicatesDialogTest, AChosenMergeIsStoredOnceAndUndoneFromTheDialog) {
    const QString before = everything();
    auto dialog = openDialog();
    EXPECT_EQ(dialog->windowTitle(), "Duplicates");
    ASSERT_EQ(dialog->groups(PartyKind::Person).rowCount(), 1);
    ASSERT_EQ(dialog->groups(PartyKind::Firm).rowCount(), 1);
    EXPECT_EQ(dialog->groups(PartyKind::Person).index(0).data().toString(),
              "Müller Jürgen | Mueller Juergen (same name)");

    // Keep the first record, with the second's spelling of the first name.
    dialog->selectGroup(PartyKind::Person, 0);
    click(*dialog, "choice_firstname_1");
    ASSERT_NE(dialog->grid().choices(), nullptr);
    EXPECT_EQ(dialog->grid().choices()->survivorValues().value("email_home"), "jm@example.com");
    QSignalSpy announced(&changeNotifier(), &CChangeNotifier::changed);
    click(*dialog, "merge");
    EXPECT_EQ(announced.count(), 1) << "one refresh for the whole merge";
    EXPECT_EQ(query("SELECT lastname, firstname, email_home FROM Person ORDER BY id"),
              "Müller|Juergen|jm@example.com\nBerg|Eva|∅");
    EXPECT_EQ(query("SELECT person FROM Contact ORDER BY id"), "Müller Juergen\nMüller Juergen");
    EXPECT_EQ(dialog->groups(PartyKind::Person).rowCount(), 0);
    EXPECT_TRUE(history.canUndo());
    EXPECT_EQ(dialog->findChild<QLabel*>("lastAction")->text(),
              "1 person merged into Müller Juergen.");

    click(*dialog, "undoMerge");
    waitForSearch(*dialog);
    EXPECT_EQ(everything(), before);
    EXPECT_FALSE(history.canUndo());
    EXPECT_EQ(dialog->groups(PartyKind::Person).rowCount(), 1);
    EXPECT_EQ(dialog->findChild<QLabel*>("lastAction")->text(),
              "The merge of Müller Juergen and 1 more was undone.");
}

TEST_F(DuplicatesDialogTest, AGroupMarkedNotDuplicatesIsNotOfferedAgain) {
    auto dialog = openDialog();
    dialog->selectGroup(PartyKind::Firm, 0);
    click(*dialog, "notDuplicates");
    EXPECT_EQ(dialog->groups(PartyKind::Firm).rowCount(), 0);
    EXPECT_EQ(IniFile(settingsPath()).readString("duplicates", "firms"), "1-2");

    click(*dialog, "findAgain");
    waitForSearch(*dialog);
    EXPECT_EQ(dialog->groups(PartyKind::Firm).rowCount(), 0);
    EXPECT_EQ(dialog->groups(PartyKind::Person).rowCount(), 1);
    // A third spelling of the firm is offered with the two it matches.
    insert("Firm", {"name"}, {"acme"});
    click(*dialog, "findAgain");
    waitForSearch(*dialog);
    ASSERT_EQ(dialog->groups(PartyKind::Firm).rowCount(), 1);
    EXPECT_EQ(dialog->groups(PartyKind::Firm).group(0).ids, (std::vector<qint32>{1, 2, 3}));
}

TEST_F(DuplicatesDialogTest, ACancelledSearchShowsNothingAndMergesNothing) {
    CDuplicatesDialog dialog(db, history, settingsPath());
    ASSERT_TRUE(dialog.isSearching());
    click(dialog, "cancelSearch");
    EXPECT_FALSE(dialog.isSearching());
    EXPECT_FALSE(dialog.findChild<QAbstractButton*>("merge")->isEnabled());
    // The stopped search's result, should it come, is dropped.
    QTest::qWait(200);
    EXPECT_EQ(dialog.groups(PartyKind::Person).rowCount(), 0);
}

}  // namespace
