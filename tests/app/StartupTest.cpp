#include <QAction>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

#include "data/ChangeNotifier.h"
#include "AppFixture.h"
#include "app/AboutDialog.h"
#include "app/Application.h"
#include "app/HelpWindow.h"
#include "data/Database.h"
#include "data/DbException.h"
#include "data/ErrorReport.h"
#include "data/KnownValueLoader.h"
#include "data/KnownValues.h"
#include "data/PersonRcs.h"
#include "data/Statement.h"
#include "platform/CommandIds.h"

namespace {

void answerPrompt(const QString& password, bool ok) {
    onNextModal([password, ok](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), "Database access");
        modal->findChild<QLineEdit*>("password")->setText(password);
        auto* dialog = qobject_cast<QDialog*>(modal);
        ok ? dialog->accept() : dialog->reject();
    });
}

// A file whose names take a while to read: 60,000 persons of 20,000 different names and
// 300,000 contacts with 30,000 different callers.
void createLargeFile(const QString& path) {
    CDatabase::Create(path, QString());
    CDatabase db;
    db.Open(path);
    CStatement(db, QStringLiteral("BEGIN")).execute();
    CStatement(db, QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                  "WHERE i < 60000) INSERT INTO Person (lastname, firstname, firm) "
                                  "SELECT 'Last' || (i % 20000), 'First' || (i % 20000 % 7), "
                                  "'Firm' || (i % 900) FROM n"))
        .execute();
    CStatement(db, QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                  "WHERE i < 300000) INSERT INTO Contact (person, firm) SELECT "
                                  "'Caller' || (i % 30000) || ' X', 'Callco' || (i % 3000) FROM n"))
        .execute();
    CStatement(db, QStringLiteral("COMMIT")).execute();
}

QAction* command(CMainFrame& frame, int id) {
    return frame.findChild<QAction*>(QStringLiteral("command_%1").arg(id));
}

}  // namespace

TEST_F(AppTest, StartSessionOpensTheFileInTheWorkingDirectory) {
    CDatabase::Create(path("Tarvex.mdb"), QString());
    setDatabasePath("elsewhere.mdb");
    auto frame = makeFrame({});
    answerPrompt(QString(), true);
    EXPECT_TRUE(StartSession(*frame));
    EXPECT_TRUE(sharedDatabase().IsOpen());
    EXPECT_EQ(databasePath(), workingDirectory() + "Tarvex.mdb");
    sharedDatabase().Close();
}

TEST_F(AppTest, CancellingThePromptEndsTheSession) {
    auto frame = makeFrame({});
    answerPrompt(QString(), false);
    EXPECT_FALSE(StartSession(*frame));
    EXPECT_FALSE(sharedDatabase().IsOpen());
    EXPECT_FALSE(QFile::exists(path("Tarvex.mdb")));
}

TEST_F(AppTest, ErrorReportYesOpensTheBundledHelp) {
    auto frame = makeFrame({});
    setDbHelpOpener([&](const QString& context) { frame->ShowHelp(context); });
    prompts.answer(Prompter::Yes);
    reportDbException(CDbException(26, "file is not a database", "db-damaged"));
    auto* help = frame->findChild<CHelpWindow*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->currentSource().endsWith("index.html#db-damaged"));
}

TEST_F(AppTest, HelpCommandAndAboutBox) {
    auto frame = makeFrame({});
    EXPECT_TRUE(frame->SendCommand(cmd::Help));
    auto* help = frame->findChild<CHelpWindow*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->currentSource().endsWith("index.html"));
    CAboutDialog about;
    EXPECT_EQ(about.windowTitle(), "About Tarvex");
    EXPECT_NE(about.findChild<QLabel*>("version"), nullptr);
    EXPECT_EQ(about.findChild<QLabel*>("version")->text(), "Tarvex Version 1.2");
}

TEST_F(AppTest, HelpFromTheOpenPromptIsNotBlockedByIt) {
    auto frame = makeFrame({});
    setDbHelpOpener([&](const QString& context) { frame->ShowHelp(context); });
    onNextModal([&](QWidget* modal) {
        prompts.answer(Prompter::Yes);
        reportDbException(CDbException(26, "file is not a database", "db-damaged"));
        auto* help = modal->findChild<CHelpWindow*>();
        ASSERT_NE(help, nullptr);
        // Windows of the modal dialog itself are the ones it does not block.
        EXPECT_EQ(help->parentWidget(), modal);
        EXPECT_TRUE(help->isVisible());
        qobject_cast<QDialog*>(modal)->reject();
    });
    EXPECT_FALSE(StartSession(*frame));
}

TEST_F(AppTest, ImportAndExportAreOfferedAsSoonAsANewFileIsOpen) {
    auto frame = makeFrame({});
    ASSERT_NE(command(*frame, cmd::Import), nullptr);
    EXPECT_FALSE(command(*frame, cmd::Import)->isEnabled());
    answerPrompt(QString(), true);
    prompts.answer(Prompter::Yes);  // create the new file
    ASSERT_TRUE(StartSession(*frame));
    EXPECT_TRUE(command(*frame, cmd::Import)->isEnabled());
    EXPECT_TRUE(command(*frame, cmd::Export)->isEnabled());
    sharedDatabase().Close();
}

TEST_F(AppTest, TheWindowAnswersBeforeTheNamesAreReadAndASaveMeanwhileIsKept) {
    createLargeFile(path("Tarvex.mdb"));
    auto frame = makeFrame({});
    answerPrompt(QString(), true);
    ASSERT_TRUE(StartSession(*frame));
    // The session runs while the names are still being read.
    CKnownValueLoader& loader = frame->knownValueLoader();
    EXPECT_TRUE(loader.busy());
    EXPECT_EQ(PersonNameList().count(), 0);

    // The reading has ended, its result not yet put in force, when a person is saved.
    loader.wait();
    {
        CPersonRcs persons(&sharedDatabase());
        persons.Open();
        persons.AddNew();
        persons.setValue("lastname", "Newcomer");
        persons.setValue("firstname", "Nora");
        persons.Update();
    }
    changeNotifier().announce(DataChange::all());
    EXPECT_FALSE(PersonNameList().items().contains("Newcomer Nora"));

    QSignalSpy loaded(&loader, &CKnownValueLoader::loaded);
    ASSERT_TRUE(loaded.wait());
    EXPECT_FALSE(loader.busy());
    const QStringList& persons = PersonNameList().items();
    EXPECT_TRUE(persons.contains("Newcomer Nora"));
    EXPECT_TRUE(persons.contains("Last19999 First0"));
    EXPECT_TRUE(persons.contains("Caller29999 X"));
    // 20,000 persons' names (one per last name), 30,000 callers and the newcomer.
    EXPECT_EQ(persons.size(), 50001);
    EXPECT_TRUE(FirmNameList().items().contains("Callco2999"));
    EXPECT_TRUE(LastNameList().items().contains("Newcomer"));
    sharedDatabase().Close();
}
