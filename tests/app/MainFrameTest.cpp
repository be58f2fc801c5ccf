#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include "AppFixture.h"
#include "app/SpawnMDIChildWnd.h"
#include "data/ChangeNotifier.h"
#include "platform/CommandIds.h"

namespace {

RecordingView* viewOf(const QString& kind) {
    return dynamic_cast<RecordingView*>(openwindows::find(kind));
}

QStringList menuTitles(QMainWindow& window) {
    QStringList titles;
    for (QAction* a : window.menuBar()->actions())
        titles << a->text();
    return titles;
}

}  // namespace

TEST_F(AppTest, WindowCommandsOpenOneWindowPerKindAndActivateIt) {
    auto frame = makeFrame(
        {testTemplate("Person", FrameKind::Record), testTemplate("Firm", FrameKind::Record)});
    EXPECT_TRUE(frame->SendCommand(cmd::ViewPersons));
    EXPECT_TRUE(frame->SendCommand(cmd::ViewCompanies));
    EXPECT_EQ(frame->mdiArea()->subWindowList().size(), 2);
    EXPECT_TRUE(frame->SendCommand(cmd::ViewPersons));
    EXPECT_EQ(frame->mdiArea()->subWindowList().size(), 2);
    EXPECT_EQ(frame->activeChild()->view(), viewOf("person"));
    EXPECT_EQ(viewOf("person")->initialUpdates, 1);
    EXPECT_EQ(frame->windowTitle(), "Tarvex - Person");
    EXPECT_EQ(frame->activeChild()->document()->GetTitle(), "Person");
}

TEST_F(AppTest, KindWithoutTemplateOpensNothingAndIsDisabled) {
    auto frame = makeFrame({testTemplate("Person", FrameKind::Record)});
    EXPECT_FALSE(frame->SendCommand(cmd::ViewContacts));
    EXPECT_EQ(frame->OpenWindowByKind("Contact"), nullptr);
    EXPECT_TRUE(frame->mdiArea()->subWindowList().isEmpty());
    EXPECT_NE(frame->OpenWindowByKind("  person "), nullptr) << "the name is matched trimmed";
}

TEST_F(AppTest, OpenWindowByKindIgnoresCaseAndKeepsTheRequestedTitle) {
    auto frame = makeFrame({testTemplate("Person", FrameKind::Record)});
    CSpawnMDIChildWnd* child = frame->OpenWindowByKind("person");
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->document()->GetTitle(), "person");
}

TEST_F(AppTest, NewCommandsStartARecordInTheOpenOrNewForm) {
    auto frame = makeFrame({testTemplate("Person", FrameKind::Record)});
    EXPECT_TRUE(frame->SendCommand(cmd::NewPerson));
    RecordingView* view = viewOf("Person");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->hints, QList<int>{cmd::AddNew});
    EXPECT_TRUE(frame->SendCommand(cmd::NewPerson));
    EXPECT_EQ(frame->mdiArea()->subWindowList().size(), 1);
    EXPECT_EQ(view->hints.size(), 2);
}

TEST_F(AppTest, NewPersonAndFirmWithName) {
    auto frame = makeFrame(
        {testTemplate("Person", FrameKind::Record), testTemplate("Firm", FrameKind::Record)});
    frame->NewPersonWithName("   ");
    EXPECT_TRUE(frame->mdiArea()->subWindowList().isEmpty());
    frame->NewPersonWithName("  Smith  ");
    RecordingView* person = viewOf("Person");
    ASSERT_NE(person, nullptr);
    EXPECT_EQ(person->text1, "Smith");
    EXPECT_EQ(person->text2, "");
    frame->NewPersonWithName("van Dyke Anna Maria");
    EXPECT_EQ(person->text1, "van");
    EXPECT_EQ(person->text2, "Dyke Anna Maria");
    frame->NewFirmWithName(" Acme Ltd ");
    EXPECT_EQ(viewOf("Firm")->text1, "Acme Ltd");
    EXPECT_EQ(viewOf("Firm")->hints, QList<int>{cmd::AddNew});
}

TEST_F(AppTest, RecordCommandsFollowTheActiveDocumentsFlags) {
    auto frame = makeFrame(
        {testTemplate("Person", FrameKind::Record), testTemplate("Personlist", FrameKind::List)});
    QAction* save = frame->findChild<QAction*>(QStringLiteral("command_%1").arg(cmd::SaveRecord));
    QAction* add = frame->findChild<QAction*>(QStringLiteral("command_%1").arg(cmd::AddNew));
    ASSERT_TRUE(save && add);
    EXPECT_FALSE(add->isEnabled()) << "no record window";
    frame->SendCommand(cmd::ViewPersons);
    auto* doc = static_cast<CDBDoc*>(frame->activeChild()->document());
    EXPECT_TRUE(add->isEnabled());
    EXPECT_FALSE(save->isEnabled());
    doc->setFlag(CDBDoc::Editing, 1);
    EXPECT_TRUE(save->isEnabled());
    EXPECT_FALSE(add->isEnabled());
    frame->SendCommand(cmd::ListPersons);
    EXPECT_FALSE(save->isEnabled()) << "the list's document is not editing";
    EXPECT_TRUE(add->isEnabled());
    frame->ActivateView(viewOf("Person"));
    EXPECT_TRUE(save->isEnabled());
}

TEST_F(AppTest, MenusFollowTheActiveWindowKind) {
    auto frame = makeFrame(
        {testTemplate("Person", FrameKind::Record), testTemplate("Personlist", FrameKind::List)});
    EXPECT_FALSE(menuTitles(*frame).contains("&Record"));
    frame->SendCommand(cmd::ViewPersons);
    EXPECT_TRUE(menuTitles(*frame).contains("&Record"));
    frame->SendCommand(cmd::ListPersons);
    EXPECT_TRUE(menuTitles(*frame).contains("&List"));
    EXPECT_FALSE(menuTitles(*frame).contains("&Record"));
}

TEST_F(AppTest, RecordKeysReachTheDocumentEvenFromAnEditField) {
    auto frame = makeFrame({testTemplate("Person", FrameKind::Record)});
    frame->SendCommand(cmd::ViewPersons);
    RecordingView* view = viewOf("Person");
    frame->activateWindow();
    view->edit()->setFocus();
    view->edit()->setText("some words here");
    QTest::keyClick(view->edit(), Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(view->edit(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(view->hints, (QList<int>{cmd::AddNew, cmd::EraseRecord}));
    EXPECT_EQ(view->edit()->text(), "some words here");
}

TEST_F(AppTest, MainToolbarStatusBarAndCaption) {
    auto frame = makeFrame({});
    EXPECT_EQ(frame->windowTitle(), "Tarvex");
    auto* toolbar = frame->findChild<QToolBar*>(QStringLiteral("MainToolBar"));
    ASSERT_NE(toolbar, nullptr);
    QList<int> ids;
    for (QAction* a : toolbar->actions())
        ids << (a->isSeparator() ? 0 : a->data().toInt());
    EXPECT_EQ(ids, (QList<int>{1044, 32777, 32775, 32778, 0, 32782, 32781, 32780, 32779, 0, 32773,
                               0, 32785, 0, 32835, 0, 32799, 0, 57670}));
    for (QAction* a : toolbar->actions()) {
        if (!a->isSeparator()) {
            EXPECT_FALSE(a->icon().isNull()) << a->data().toInt();
            EXPECT_FALSE(a->toolTip().isEmpty()) << a->data().toInt();
        }
    }
    for (const char* pane : {"CAP", "NUM", "SCRL"})
        EXPECT_NE(frame->statusBar()->findChild<QWidget*>(pane), nullptr) << pane;
}

TEST_F(AppTest, AChangeOfEverythingIsHeardWithoutListsOrDatabase) {
    auto frame = makeFrame({});
    changeNotifier().announce(DataChange::all());
    SUCCEED();
}
