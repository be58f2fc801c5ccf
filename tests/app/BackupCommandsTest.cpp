#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

#include "OutsideClient.h"
#include "app/BackupCommands.h"
#include "app/OptionsDialog.h"
#include "data/BackupFiles.h"
#include "data/DatabaseBackup.h"
#include "lists/ListFixture.h"
#include "platform/CommandIds.h"
#include "platform/IniFile.h"

namespace {

QStringList fileMenuTexts(QMainWindow& window) {
    for (QAction* top : window.menuBar()->actions()) {
        if (top->text() == QLatin1String("&File") && top->menu()) {
            QStringList texts;
            for (QAction* item : top->menu()->actions())
                if (!item->isSeparator())
                    texts << item->text();
            return texts;
        }
    }
    return {};
}

QString backupsFolder() {
    return backupfiles::folderOf(databasePath());
}

}  // namespace

class BackupCommandsTest : public ListTest {
protected:
    void TearDown() override {
        prompts.setLenient(true);
        ListTest::TearDown();
    }
};

TEST_F(BackupCommandsTest, TheFileMenusOfEveryWindowOfferBackUpAndRestore) {
    start();
    const QStringList expected = {QStringLiteral("&Back up..."), QStringLiteral("&Restore...")};
    for (const int view : {0, cmd::ViewPersons, cmd::ListPersons, cmd::Notepad}) {
        if (view)
            command(view);
        const QStringList texts = fileMenuTexts(*frame);
        SCOPED_TRACE(view);
        EXPECT_TRUE(texts.contains(expected[0]) && texts.contains(expected[1]))
            << texts.join(',').toStdString();
    }
    frame->UpdateCommandStates();
    bool found = false;
    for (QAction* action : frame->findChildren<QAction*>())
        if (action->text() == expected[0]) {
            found = true;
            EXPECT_TRUE(action->isEnabled());
        }
    EXPECT_TRUE(found);
}

TEST_F(BackupCommandsTest, BackUpWritesTheChosenFileAndProposesTheBackupsFolder) {
    start();
    addPerson("Okafor", "Ada");
    const QString target = path(QStringLiteral("elsewhere/mine.mdb"));
    prompts.answerFile(target);
    prompts.answer(Prompter::Ok);
    command(cmd::Backup);
    // The chooser opens in the backups folder, which is made for it.
    EXPECT_TRUE(QFileInfo(backupsFolder()).isDir());
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_TRUE(prompts.messages().first().contains(QDir::toNativeSeparators(target)));
    CDatabase copy;
    copy.Open(target, false, true);
    CPersonRcs persons(&copy);
    persons.Open();
    EXPECT_EQ(persons.text("lastname"), QStringLiteral("Okafor"));

    // The contacts file itself is never a backup target.
    prompts.clear();
    prompts.answerFile(databasePath());
    prompts.answer(Prompter::Ok);
    command(cmd::Backup);
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_TRUE(prompts.messages().first().contains(QLatin1String("the contacts file itself")));
    EXPECT_EQ(storedPersons(), QStringList{QStringLiteral("Okafor|Ada")});
}

TEST_F(BackupCommandsTest, TheOptionIsKeptInTheSettingsFile) {
    start();
    EXPECT_TRUE(settings().backupOnExit);
    {
        COptionsDialog dialog(frame.get());
        auto* box = dialog.findChild<QCheckBox*>(QStringLiteral("backupOnExit"));
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->isChecked());
        EXPECT_EQ(box->text(), QStringLiteral("Automatic bac&kup on exit"));
        box->setChecked(false);
        dialog.accept();
    }
    EXPECT_EQ(
        IniFile(settingsFilePath()).readInt(QStringLiteral("backup"), QStringLiteral("onexit"), 1),
        0);
    settings() = CSettings();
    settings().Load();
    EXPECT_FALSE(settings().backupOnExit);
}

TEST_F(BackupCommandsTest, LeavingKeepsTheNewestSevenBackupsOfAChangedFile) {
    start();
    QDir().mkpath(backupsFolder());
    for (int n = 0; n < 8; ++n) {
        QFile old(QDir(backupsFolder())
                      .filePath(QStringLiteral("Tarvex-2020-01-0%1-1200.mdb").arg(n + 1)));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.close();
        old.setFileTime(QDateTime(QDate(2020, 1, n + 1), QTime(12, 0), Qt::UTC),
                        QFileDevice::FileModificationTime);
    }
    addPerson("Leaving", "Lea");
    EXPECT_TRUE(BackupOnExit());
    const QStringList kept = backupfiles::backupsIn(backupsFolder());
    ASSERT_EQ(kept.size(), kKeptBackups);
    EXPECT_FALSE(QFileInfo(kept.first()).fileName().startsWith(QLatin1String("Tarvex-2020")));
    EXPECT_FALSE(QFile::exists(QDir(backupsFolder()).filePath("Tarvex-2020-01-01-1200.mdb")));
    EXPECT_FALSE(QFile::exists(QDir(backupsFolder()).filePath("Tarvex-2020-01-02-1200.mdb")));
    CDatabase copy;
    copy.Open(kept.first(), false, true);
    CPersonRcs persons(&copy);
    persons.Open();
    EXPECT_EQ(persons.text("lastname"), QStringLiteral("Leaving"));
    copy.Close();

    // Nothing changed since: no new copy. Switched off: none either.
    EXPECT_TRUE(BackupOnExit());
    EXPECT_EQ(backupfiles::backupsIn(backupsFolder()), kept);
    QFile(kept.first())
        .setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600),
                     QFileDevice::FileModificationTime);
    settings().backupOnExit = false;
    EXPECT_TRUE(BackupOnExit());
    EXPECT_EQ(backupfiles::backupsIn(backupsFolder()).size(), kKeptBackups);
}

TEST_F(BackupCommandsTest, AFailedBackupAtExitIsSaidOnceAndTheWindowCloses) {
    start();
    // A file where the backups folder should be: nothing can be written there.
    QFile blocker(backupsFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    command(cmd::ListPersons);
    prompts.answer(Prompter::Ok);
    EXPECT_TRUE(frame->close());
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_TRUE(prompts.messages().first().contains(QLatin1String("automatic backup")));
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(BackupCommandsTest, RestoreReplacesTheFileAndReopensTheWindows) {
    addPerson("Before", "Bea");
    const QString backup = path(QStringLiteral("saved.mdb"));
    {
        CDatabase source;
        source.Open(databasePath(), false, true);
        CDatabaseBackup(source, backup).runToEnd();
    }
    addPerson("Later", "Lou");
    start();
    command(cmd::ListPersons);
    ASSERT_EQ(list("Personlist")->listModel()->rowCount(), 2);

    // Another program holds the file: refused, nothing changed, the list still works.
    {
        OutsideClient other(databasePath());
        prompts.answerFile(backup);
        prompts.answer(Prompter::Yes);
        prompts.answer(Prompter::Ok);
        RunRestore(*frame);
        ASSERT_EQ(prompts.messages().size(), 2);
        EXPECT_TRUE(prompts.messages().last().contains(QLatin1String("is open in another program")))
            << prompts.messages().join('|').toStdString();
    }
    ASSERT_NE(list("Personlist"), nullptr);
    EXPECT_EQ(list("Personlist")->listModel()->rowCount(), 2);
    EXPECT_EQ(storedPersons().size(), 2);

    prompts.clear();
    prompts.answerFile(backup);
    prompts.answer(Prompter::Yes);
    prompts.answer(Prompter::Ok);
    RunRestore(*frame);
    ASSERT_EQ(prompts.messages().size(), 2);
    EXPECT_TRUE(prompts.messages().last().startsWith(QLatin1String("The backup was restored.")));
    EXPECT_EQ(storedPersons(), QStringList{QStringLiteral("Before|Bea")});
    ASSERT_NE(list("Personlist"), nullptr);
    EXPECT_EQ(list("Personlist")->listModel()->rowCount(), 1);
    // The replaced file was kept in the backups folder.
    EXPECT_EQ(backupfiles::backupsIn(backupsFolder()).size(), 1);
}

TEST_F(BackupCommandsTest, RestoreAsksForTheBackupsPasswordAndRefusesAWrongOne) {
    start();
    const QString backup = path(QStringLiteral("secret.mdb"));
    CDatabase::Create(backup, QStringLiteral("pw"));
    prompts.answerFile(backup);
    prompts.answerPassword(QStringLiteral("wrong"));
    prompts.answer(Prompter::No);  // the error report's offer of help
    RunRestore(*frame);
    ASSERT_EQ(prompts.messages().size(), 2);
    EXPECT_TRUE(prompts.messages().first().contains(QLatin1String("secret.mdb")));
    EXPECT_TRUE(prompts.messages().last().contains(QLatin1String("Not a valid password.")));
    // Cancelled at the password: nothing more is asked.
    prompts.clear();
    prompts.answerFile(backup);
    prompts.answerPassword(std::nullopt);
    RunRestore(*frame);
    EXPECT_EQ(prompts.messages().size(), 1);
    EXPECT_TRUE(sharedDatabase().IsOpen());
}
