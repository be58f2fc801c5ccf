#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include "AppFixture.h"
#include "app/DatabaseAccessDialog.h"
#include "app/PasswordChange.h"
#include "data/Database.h"
#include "data/DbException.h"
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
