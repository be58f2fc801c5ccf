#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include "AppFixture.h"
#include "app/DatabaseAccessDialog.h"
#include "app/PasswordChange.h"
#include "data/Database.h"
#include "data/DbException.h"
#include "data/FileDamage.h"
#include "data/IntegrityCheck.h"
#include "data/PersonRcs.h"
#include "platform/CommandIds.h"
#include "platform/StringTable.h"

namespace {

QLineEdit* edit(QWidget* dialog, const char* name) {
    auto* e = dialog->findChild<QLineEdit*>(QString::fromLatin1(name));
    EXPECT_NE(e, nullptr) << name;
    return e;
}

// Looked for by another process: a descriptor of this one, opened and closed on the file
// while the shared connection is open, would drop the engine's locks on it.
bool fileContains(const QString& path, const QByteArray& bytes) {
    QProcess grep;
    grep.start(QStringLiteral("grep"), {QStringLiteral("-qaF"), QString::fromLatin1(bytes), path});
    return grep.waitForFinished(10000) && grep.exitStatus() == QProcess::NormalExit &&
           grep.exitCode() == 0;
}

}  // namespace

class PasswordTest : public AppTest {
protected:
    void TearDown() override {
        sharedDatabase().Close();
        AppTest::TearDown();
    }
    void createWithPerson(const QString& password) {
        CDatabase::Create(databasePath(), password);
        openSharedDatabase(password);
        CPersonRcs rs(&sharedDatabase());
        rs.Open();
        rs.AddNew();
        rs.setValue("lastname", "Zumwalde");
        rs.setValue("firstname", "Quentin");
        rs.Update();
        rs.Close();
        sharedDatabase().Close();
        setCurrentPassword(QString());
    }
    bool promptWith(const QString& password) {
        CDatabaseAccessDialog dialog;
        EXPECT_EQ(edit(&dialog, "password")->maxLength(), 14);
        edit(&dialog, "password")->setText(password);
        // A new file's password is typed twice.
        if (auto* again = dialog.findChild<QLineEdit*>("passwordAgain"))
            again->setText(password);
        dialog.accept();
        return dialog.result() == QDialog::Accepted;
    }
};

TEST_F(PasswordTest, EmptyPasswordOpensAPlainFile) {
    createWithPerson({});
    EXPECT_TRUE(promptWith({}));
    EXPECT_TRUE(sharedDatabase().IsOpen());
    EXPECT_EQ(currentPassword(), "");
}

TEST_F(PasswordTest, WrongPasswordReportsTheEngineErrorAndKeepsThePromptOpen) {
    createWithPerson("secret");
    prompts.answer(Prompter::No);
    EXPECT_FALSE(promptWith("wrong"));
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_TRUE(prompts.messages().first().contains("Would you like to see help?"));
    EXPECT_FALSE(sharedDatabase().IsOpen());
    EXPECT_TRUE(promptWith("secret"));
    EXPECT_EQ(currentPassword(), "secret");
}

TEST_F(PasswordTest, DamagedFileIsReportedAndNothingIsWritten) {
    QFile file(databasePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArray noise(8192, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 251);
    file.write(noise);
    file.close();
    prompts.answer(Prompter::No);
    EXPECT_FALSE(promptWith({}));
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_TRUE(prompts.messages().first().contains("   ("));
    QFile check(databasePath());
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), noise);
}

TEST_F(PasswordTest, MissingFileIsCreatedOnlyWhenTheUserAgrees) {
    prompts.answer(Prompter::No);
    EXPECT_FALSE(promptWith("pw"));
    EXPECT_FALSE(QFile::exists(databasePath()));
    prompts.answer(Prompter::Yes);
    EXPECT_TRUE(promptWith("pw"));
    EXPECT_TRUE(QFile::exists(databasePath()));
    EXPECT_EQ(currentPassword(), "pw");
    sharedDatabase().Close();
    CDatabase plain;
    EXPECT_THROW(plain.Open(databasePath()), CDbException) << "created with the typed password";
}

TEST_F(PasswordTest, ChangeIsRefusedWithoutConfirmationAndOnMismatch) {
    createWithPerson({});
    openSharedDatabase({});
    prompts.answer(Prompter::No);
    RunPasswordChange(nullptr);
    EXPECT_EQ(prompts.messages(), QStringList{loadString(60021)});
    EXPECT_EQ(prompts.lastIcon(), Prompter::Icon::Question);

    CPasswordChangeDialog dialog;
    for (const char* name : {"oldPassword", "newPassword", "newPasswordAgain"})
        EXPECT_EQ(edit(&dialog, name)->maxLength(), 14);
    edit(&dialog, "newPassword")->setText("Secret");
    edit(&dialog, "newPasswordAgain")->setText("secret");
    prompts.answer(Prompter::Ok);
    dialog.accept();
    EXPECT_EQ(prompts.messages().last(), loadString(60019));
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(fileContains(databasePath(), "Zumwalde"));
}

TEST_F(PasswordTest, SettingChangingAndRemovingThePassword) {
    createWithPerson({});
    openSharedDatabase({});
    auto change = [&](const QString& oldPw, const QString& newPw) {
        CPasswordChangeDialog dialog;
        edit(&dialog, "oldPassword")->setText(oldPw);
        edit(&dialog, "newPassword")->setText(newPw);
        edit(&dialog, "newPasswordAgain")->setText(newPw);
        dialog.accept();
        return dialog.result() == QDialog::Accepted;
    };
    prompts.answer(Prompter::Ok);
    EXPECT_TRUE(change({}, "alpha"));
    EXPECT_EQ(prompts.messages().last(), loadString(60020));
    EXPECT_FALSE(fileContains(databasePath(), "Zumwalde"));
    EXPECT_TRUE(sharedDatabase().IsOpen());
    EXPECT_EQ(currentPassword(), "alpha");

    prompts.answer(Prompter::No);  // the error report for the wrong old password
    EXPECT_FALSE(change("wrong", "beta"));
    EXPECT_EQ(currentPassword(), "alpha");
    EXPECT_TRUE(sharedDatabase().IsOpen()) << "reopened with the current password";

    prompts.answer(Prompter::Ok);
    EXPECT_TRUE(change("alpha", "beta"));
    prompts.answer(Prompter::Ok);
    EXPECT_TRUE(change("beta", {}));
    sharedDatabase().Close();
    CDatabase plain;
    plain.Open(databasePath());
    CPersonRcs rs(&plain);
    rs.Open();
    EXPECT_EQ(rs.text("lastname"), "Zumwalde");
}

TEST_F(PasswordTest, LockedFileIsReportedAndThePromptStays) {
    createWithPerson({});
    CDatabase holder;
    holder.Open(databasePath(), true);
    prompts.answer(Prompter::No);
    EXPECT_FALSE(promptWith({}));
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_TRUE(prompts.messages().first().contains("locked"))
        << prompts.messages().first().toStdString();
    EXPECT_FALSE(sharedDatabase().IsOpen());
    holder.Close();
    EXPECT_TRUE(promptWith({}));
}

TEST_F(PasswordTest, ANewEncryptedFileTakesThePasswordTwiceInTheFolderNamed) {
    CDatabaseAccessDialog dialog;
    QLineEdit* again = edit(&dialog, "passwordAgain");
    ASSERT_NE(again, nullptr);
    EXPECT_FALSE(again->isHidden());
    EXPECT_EQ(again->echoMode(), QLineEdit::Password);
    EXPECT_EQ(again->maxLength(), 14);

    // A typing error: said so, nothing created, the prompt stays for another try.
    edit(&dialog, "password")->setText("Secret");
    again->setText("Secert");
    prompts.answer(Prompter::Ok);
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_TRUE(prompts.messages().first().contains("differ"));
    EXPECT_FALSE(QFile::exists(databasePath()));
    EXPECT_FALSE(sharedDatabase().IsOpen());

    // Typed the same twice: the question names the folder, and the file takes the password.
    edit(&dialog, "password")->setText("Secret");
    again->setText("Secret");
    QString question;
    prompts.answerWith([&](const QString& text) {
        question = text;
        return Prompter::Yes;
    });
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(question.contains(
        QDir::toNativeSeparators(QFileInfo(databasePath()).absolutePath()) + "\n"))
        << question.toStdString();
    EXPECT_TRUE(question.contains("encrypted"));
    EXPECT_EQ(currentPassword(), "Secret");
    sharedDatabase().Close();
    CDatabase reopened;
    EXPECT_NO_THROW(reopened.Open(databasePath(), false, false, connectText("Secret")));
}

TEST_F(PasswordTest, AnExistingFileOrAnEmptyPasswordIsTypedOnce) {
    // No password, no encryption: nothing to confirm.
    prompts.answer(Prompter::Yes);
    {
        CDatabaseAccessDialog dialog;
        edit(&dialog, "password")->setText({});
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(prompts.messages().size(), 1);
    EXPECT_FALSE(prompts.messages().first().contains("encrypted"));
    sharedDatabase().Close();
    CDatabaseAccessDialog dialog;
    EXPECT_TRUE(edit(&dialog, "passwordAgain")->isHidden());
}

TEST_F(PasswordTest, TheFileIsCheckedAgainAfterAPasswordChange) {
    createWithPerson({});
    openSharedDatabase({});
    auto frame = makeFrame({});
    frame->StartIntegrityCheck();
    prompts.answer(Prompter::Yes);  // closing the windows
    prompts.answer(Prompter::Ok);   // the password is set
    onNextModal([](QWidget* modal) {
        edit(modal, "newPassword")->setText("gamma");
        edit(modal, "newPasswordAgain")->setText("gamma");
        qobject_cast<QDialog*>(modal)->accept();
    });
    RunPasswordChange(frame.get());
    ASSERT_EQ(currentPassword(), "gamma");
    ASSERT_NE(frame->integrityCheck(), nullptr);
    EXPECT_TRUE(frame->integrityCheck()->running());
    frame->integrityCheck()->wait();
    EXPECT_FALSE(filedamage::isDamaged());
}
