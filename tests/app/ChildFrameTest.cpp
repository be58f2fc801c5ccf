#include <QMdiArea>
#include <QTest>

#include "AppFixture.h"
#include "app/SpawnMDIChildWnd.h"
#include "app/WindowPlacement.h"
#include "platform/CommandIds.h"

TEST_F(AppTest, PlacementIsSavedUnderTheTitleAndRestored) {
    auto frame = makeFrame({testTemplate("Personlist", FrameKind::List)});
    CSpawnMDIChildWnd* child = frame->OpenWindowByKind("Personlist");
    child->document()->SetTitle("List Persons");
    child->setGeometry(40, 30, 300, 200);
    child->close();
    QApplication::processEvents();
    const WindowPlacement saved = loadPlacement("List Persons");
    EXPECT_EQ(saved.showCmd, 1);
    EXPECT_EQ(saved.left, 40);
    EXPECT_EQ(saved.top, 30);
    EXPECT_EQ(saved.right, 340);
    EXPECT_EQ(saved.bottom, 230);

    child = frame->OpenWindowByKind("Personlist");
    child->document()->SetTitle("List Persons");
    EXPECT_TRUE(child->RestorePlacement());
    EXPECT_EQ(child->geometry(), QRect(40, 30, 300, 200));
}

TEST_F(AppTest, PlacementOffTheScreenOrMissingIsIgnored) {
    auto frame = makeFrame({testTemplate("Personlist", FrameKind::List)});
    CSpawnMDIChildWnd* child = frame->OpenWindowByKind("Personlist");
    EXPECT_FALSE(child->RestorePlacement()) << "no saved section: every key reads 10";
    WindowPlacement far;
    far.showCmd = 1;
    far.left = 5000;
    far.top = 4000;
    far.right = 5300;
    far.bottom = 4200;
    savePlacement("Personlist", far);
    const QRect before = child->geometry();
    EXPECT_FALSE(child->RestorePlacement());
    EXPECT_EQ(child->geometry(), before);
}

TEST_F(AppTest, RecordFramesCannotBeMaximisedOrResized) {
    auto frame = makeFrame({testTemplate("Person", FrameKind::Record),
                            testTemplate("Group", FrameKind::Child),
                            testTemplate("Personlist", FrameKind::List)});
    CSpawnMDIChildWnd* form = frame->OpenWindowByKind("Person");
    form->fitToView();
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_FALSE(frame->OpenWindowByKind("Group")->windowFlags() & Qt::WindowMaximizeButtonHint);
    CSpawnMDIChildWnd* list = frame->OpenWindowByKind("Personlist");
    EXPECT_NE(list->minimumSize(), list->maximumSize());
}

TEST_F(AppTest, CloseRecordWindowsClosesTheRecordKindsOnly) {
    auto frame = makeFrame({testTemplate("Person", FrameKind::Record),
                            testTemplate("Personlist", FrameKind::List),
                            testTemplate("Notepad", FrameKind::Notepad)});
    frame->SendCommand(cmd::ViewPersons);
    frame->SendCommand(cmd::ListPersons);
    frame->OpenWindowByKind("Notepad");
    frame->CloseRecordWindows();
    QApplication::processEvents();
    EXPECT_EQ(frame->mdiArea()->subWindowList().size(), 1);
    EXPECT_EQ(openwindows::find("Person"), nullptr);
    EXPECT_EQ(openwindows::find("Personlist"), nullptr);
}

TEST_F(AppTest, EveryToolbarShowsAndDrivesItsOwnDocument) {
    auto frame = makeFrame({testTemplate("Contact", FrameKind::Record),
                            testTemplate("Person", FrameKind::Record),
                            testTemplate("Contactlist", FrameKind::List)});
    CSpawnMDIChildWnd* contact = frame->OpenWindowByKind("Contact");
    CSpawnMDIChildWnd* person = frame->OpenWindowByKind("Person");
    auto* personDoc = static_cast<CDBDoc*>(person->document());
    personDoc->setFlag(CDBDoc::NextEnabled, 1);
    personDoc->setFlag(CDBDoc::LastEnabled, 1);
    CSpawnMDIChildWnd* list = frame->OpenWindowByKind("Contactlist");
    // A list allows Next and Previous, which it ignores.
    auto* listDoc = static_cast<CDBDoc*>(list->document());
    listDoc->setFlag(CDBDoc::NextEnabled, 1);
    listDoc->setFlag(CDBDoc::PreviousEnabled, 1);
    ASSERT_EQ(frame->activeChild(), list);

    // The contact form on its empty table allows no move, whichever window is active.
    for (int id : {cmd::FirstRecord, cmd::PreviousRecord, cmd::NextRecord, cmd::LastRecord})
        EXPECT_FALSE(contact->toolBarAction(id)->isEnabled()) << id;
    EXPECT_TRUE(person->toolBarAction(cmd::NextRecord)->isEnabled());
    EXPECT_FALSE(person->toolBarAction(cmd::PreviousRecord)->isEnabled());
    EXPECT_TRUE(list->toolBarAction(cmd::AddNew)->isEnabled());

    // A change in an inactive window's document shows on its own toolbar only.
    static_cast<CDBDoc*>(contact->document())->setFlag(CDBDoc::Editing, 1);
    EXPECT_TRUE(contact->toolBarAction(cmd::SaveRecord)->isEnabled());
    EXPECT_FALSE(contact->toolBarAction(cmd::AddNew)->isEnabled());
    EXPECT_FALSE(person->toolBarAction(cmd::SaveRecord)->isEnabled());
    EXPECT_TRUE(person->toolBarAction(cmd::AddNew)->isEnabled());

    // A button runs its command on its own window's document.
    auto* personView = dynamic_cast<RecordingView*>(person->view());
    auto* listView = dynamic_cast<RecordingView*>(list->view());
    person->toolBarAction(cmd::NextRecord)->trigger();
    EXPECT_EQ(personView->hints, QList<int>{cmd::NextRecord});
    EXPECT_TRUE(listView->hints.isEmpty());
}
