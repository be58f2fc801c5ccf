#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "AppFixture.h"
#include "app/AboutDialog.h"
#include "app/Application.h"
#include "app/HelpWindow.h"
#include "data/Database.h"
#include "data/DbException.h"
#include "data/ErrorReport.h"
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
    ReportDbException(CDbException(26, "file is not a database", "db-damaged"));
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
        ReportDbException(CDbException(26, "file is not a database", "db-damaged"));
        auto* help = modal->findChild<CHelpWindow*>();
        ASSERT_NE(help, nullptr);
        // Windows of the modal dialog itself are the ones it does not block.
        EXPECT_EQ(help->parentWidget(), modal);
        EXPECT_TRUE(help->isVisible());
        qobject_cast<QDialog*>(modal)->reject();
    });
    EXPECT_FALSE(StartSession(*frame));
}
