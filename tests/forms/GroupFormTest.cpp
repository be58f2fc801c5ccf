#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "FormFixture.h"
#include "data/GroupRcs.h"
#include "forms/DataEntryDialog.h"
#include "forms/GroupFView.h"
#include "forms/TypeAheadComboBox.h"
#include "platform/CommandIds.h"
#include "platform/StringTable.h"

namespace {

struct Group {
    const char* name;
    const char* comment = "";
};

void addGroups(std::initializer_list<Group> groups) {
    CGroupRcs rs(&sharedDatabase());
    rs.Open();
    for (const Group& g : groups) {
        rs.AddNew();
        rs.setValue("Name", QString::fromUtf8(g.name));
        rs.setValue("Description", QString::fromUtf8(g.comment));
        rs.Update();
    }
}

// The groups in the file as "name: comment", in the order they were added.
QStringList storedGroups() {
    CDatabase db;
    db.Open(databasePath());
    CGroupRcs rs(&db);
    rs.m_strSort = "id";
    rs.Open();
    QStringList groups;
    for (; !rs.IsEOF(); rs.MoveNext())
        groups << rs.text("Name") + ": " + rs.text("Description");
    return groups;
}

}  // namespace

class GroupFormTest : public FormTest {
protected:
    CGroupFView* open(std::initializer_list<Group> groups = {}) {
        addGroups(groups);
        startFrame({kindTemplate("Group", FrameKind::Child, createGroupView)});
        command(cmd::ViewGroups);
        form = view<CGroupFView>("Group");
        return form;
    }
    QStringList names() const {
        QStringList entries;
        for (int i = 0; i < form->nameList()->count(); ++i)
            entries << form->nameList()->itemText(i);
        return entries;
    }
    QString shownComment() const { return form->comment()->toPlainText(); }
    void click(int id) { QTest::mouseClick(form->button(id), Qt::LeftButton); }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form;
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }
    // Presses New and answers the Data entry dialog with the name (nothing: Cancel).
    void addWithDialog(const std::optional<QString>& name) {
        QTimer::singleShot(0, [name] {
            auto* dialog = qobject_cast<CDataEntryDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            if (!name) {
                dialog->reject();
                return;
            }
            QTest::keyClicks(dialog->nameEdit(), *name);
            dialog->accept();
        });
        click(CGroupFView::NewButton);
    }
    bool commandEnabled(int id) const {
        bool on = false;
        form->GetDocument()->IsCommandEnabled(id, on);
        return on;
    }
    // Which of the form's controls are enabled, in the order of the state table.
    QList<bool> states() const {
        QList<bool> on;
        for (int id : {CGroupFView::EditButton, CGroupFView::SaveButton, CGroupFView::CancelButton})
            on << form->button(id)->isEnabled();
        on << form->nameList()->isEnabled();
        for (int id : {CGroupFView::NewButton, CGroupFView::DeleteButton})
            on << form->button(id)->isEnabled();
        on << !form->comment()->isReadOnly();
        return on;
    }

    CGroupFView* form = nullptr;
};

const QList<bool> kBrowse{true, false, false, true, true, true, false};
const QList<bool> kEditing{false, true, true, false, false, false, true};

TEST_F(GroupFormTest, EmptyTableOffersNothingToEdit) {
    open();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->GetDocument()->GetTitle(), "Groups");
    EXPECT_TRUE(names().isEmpty());
    EXPECT_EQ(shownComment(), "");
    EXPECT_EQ(states(), kBrowse);
    prompts.answer(Prompter::Ok);
    click(CGroupFView::EditButton);
    EXPECT_EQ(prompts.messages(), QStringList{loadString(60001)});
    EXPECT_FALSE(form->isEditing());
    EXPECT_EQ(states(), kBrowse);
}

TEST_F(GroupFormTest, RecordCommandsStayGreyedAndAreIgnored) {
    open({{"Sales", "north"}});
    for (int id :
         {cmd::FirstRecord, cmd::PreviousRecord, cmd::NextRecord, cmd::LastRecord, cmd::SaveRecord})
        EXPECT_FALSE(commandEnabled(id)) << id;
    key(Qt::Key_N, Qt::ControlModifier);
    key(Qt::Key_F2);
    form->GetDocument()->UpdateAllViews(nullptr, cmd::EraseRecord);
    EXPECT_TRUE(prompts.messages().isEmpty());
    EXPECT_FALSE(form->isEditing());
    EXPECT_EQ(storedGroups(), QStringList{"Sales: north"});
    click(CGroupFView::EditButton);
    EXPECT_FALSE(commandEnabled(cmd::SaveRecord)) << "the form leaves the editing flag alone";
}

TEST_F(GroupFormTest, ListIsInNameOrderAndEachEntryShowsItsGroup) {
    open({{"Zulu", "last"}, {"alpha", "first"}, {"Mike", "middle"}});
    EXPECT_EQ(names(), (QStringList{"alpha", "Mike", "Zulu"}));
    EXPECT_EQ(form->nameList()->currentIndex(), 0);
    EXPECT_EQ(shownComment(), "first");
    form->nameList()->setFocus();
    QTest::keyClick(form->nameList(), Qt::Key_Z);
    EXPECT_EQ(form->nameList()->currentText(), "Zulu");
    EXPECT_EQ(shownComment(), "last") << "type-ahead selection shows the group";
    form->nameList()->setCurrentIndex(1);
    EXPECT_EQ(shownComment(), "middle");
}

TEST_F(GroupFormTest, NewGroupSortsIntoPlaceAndIsSelected) {
    open({{"Alpha", "a"}, {"Zulu", "z"}});
    addWithDialog(QStringLiteral("Mike"));
    EXPECT_EQ(names(), (QStringList{"Alpha", "Mike", "Zulu"}));
    EXPECT_EQ(form->nameList()->currentText(), "Mike");
    EXPECT_EQ(shownComment(), "");
    EXPECT_EQ(storedGroups(), (QStringList{"Alpha: a", "Zulu: z", "Mike: "}));
    EXPECT_EQ(states(), kBrowse);

    addWithDialog(std::nullopt);
    prompts.answer(Prompter::Ok);
    addWithDialog(QStringLiteral("   "));
    EXPECT_EQ(prompts.messages().size(), 1) << "a blank name is refused with a message";
    EXPECT_EQ(storedGroups().size(), 3) << "neither Cancel nor a blank name adds a group";
    EXPECT_EQ(names().size(), 3);
}

TEST_F(GroupFormTest, EditSaveAndCancelTheComment) {
    open({{"Alpha", "old"}, {"Beta", "keep"}});
    // A button's mnemonic clicks it a moment later, as a click animation.
    key(Qt::Key_I, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([this] { return form->isEditing(); }, 2000));
    EXPECT_EQ(states(), kEditing);
    EXPECT_EQ(QApplication::focusWidget(), form->comment());
    form->comment()->selectAll();
    QTest::keyClicks(form->comment(), "O'Brien's team");
    key(Qt::Key_S, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !form->isEditing(); }, 2000));
    EXPECT_EQ(states(), kBrowse);
    EXPECT_EQ(storedGroups(), (QStringList{"Alpha: O'Brien's team", "Beta: keep"}));
    EXPECT_EQ(shownComment(), "O'Brien's team");

    click(CGroupFView::EditButton);
    form->comment()->setPlainText("changed");
    click(CGroupFView::CancelButton);
    EXPECT_FALSE(form->isEditing());
    EXPECT_EQ(states(), kBrowse);
    EXPECT_EQ(shownComment(), "O'Brien's team") << "Cancel shows the stored comment again";
    EXPECT_EQ(storedGroups(), (QStringList{"Alpha: O'Brien's team", "Beta: keep"}));
}

TEST_F(GroupFormTest, DeleteAsksWithTheQuestionIconAndRemoves) {
    open({{"Alpha", "a"}, {"Beta", "b"}});
    prompts.answer(Prompter::No);
    click(CGroupFView::DeleteButton);
    EXPECT_EQ(prompts.messages().last(), loadString(60002));
    EXPECT_EQ(prompts.lastIcon(), Prompter::Icon::Question);
    EXPECT_EQ(prompts.lastButtons(), Prompter::Buttons::YesNo);
    EXPECT_EQ(storedGroups().size(), 2);

    form->nameList()->setCurrentIndex(1);
    prompts.answer(Prompter::Yes);
    click(CGroupFView::DeleteButton);
    EXPECT_EQ(storedGroups(), QStringList{"Alpha: a"});
    EXPECT_EQ(names(), QStringList{"Alpha"});
    EXPECT_EQ(shownComment(), "a");

    prompts.answer(Prompter::Yes);
    click(CGroupFView::DeleteButton);
    EXPECT_TRUE(storedGroups().isEmpty());
    EXPECT_TRUE(names().isEmpty());
    EXPECT_EQ(shownComment(), "");
    prompts.answer(Prompter::Yes);
    click(CGroupFView::DeleteButton);
    EXPECT_EQ(prompts.messages().size(), 4) << "deleting from an empty table only asks";
}

TEST_F(GroupFormTest, DuplicateNamesEachShowTheirOwnGroup) {
    open({{"Sales", "north"}, {"Sales", "south"}});
    EXPECT_EQ(names(), (QStringList{"Sales", "Sales"}));
    QStringList shown;
    for (int entry : {1, 0}) {
        form->nameList()->setCurrentIndex(entry);
        shown << shownComment();
    }
    shown.sort();
    EXPECT_EQ(shown, (QStringList{"north", "south"}));

    addWithDialog(QStringLiteral("Sales"));
    EXPECT_EQ(names().size(), 3);
    EXPECT_EQ(shownComment(), "") << "the new group, not an older one of the same name";
    click(CGroupFView::EditButton);
    form->comment()->setPlainText("west");
    click(CGroupFView::SaveButton);
    EXPECT_EQ(storedGroups(), (QStringList{"Sales: north", "Sales: south", "Sales: west"}));
}

TEST_F(GroupFormTest, EscWhileEditingClosesAndDropsTheEdit) {
    open({{"Alpha", "old"}});
    click(CGroupFView::EditButton);
    form->comment()->setPlainText("never saved");
    key(Qt::Key_Escape);
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(prompts.messages().isEmpty()) << "no question";
    EXPECT_EQ(view<CGroupFView>("Group"), nullptr);
    EXPECT_EQ(storedGroups(), QStringList{"Alpha: old"});
}

TEST_F(GroupFormTest, GroupsChangedElsewhereShowAndTheSelectionStays) {
    open({{"Alpha", "a"}, {"Mike", "m"}});
    form->nameList()->setCurrentIndex(1);
    addGroups({{"Bravo", "b"}});
    EXPECT_EQ(names().size(), 2) << "read again after the writer's write is done";
    QCoreApplication::processEvents();
    EXPECT_EQ(names(), (QStringList{"Alpha", "Bravo", "Mike"}));
    EXPECT_EQ(form->nameList()->currentText(), "Mike");
    EXPECT_EQ(shownComment(), "m");

    click(CGroupFView::EditButton);
    form->comment()->setPlainText("typed");
    addGroups({{"Charlie"}});
    QCoreApplication::processEvents();
    EXPECT_EQ(names().size(), 3) << "the list waits while the comment is edited";
    EXPECT_EQ(shownComment(), "typed");
    click(CGroupFView::SaveButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(names(), (QStringList{"Alpha", "Bravo", "Charlie", "Mike"}));
    EXPECT_EQ(form->nameList()->currentText(), "Mike");
    EXPECT_EQ(storedGroups().last(), "Charlie: ");
    EXPECT_EQ(storedGroups()[1], "Mike: typed");
}
