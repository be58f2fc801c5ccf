#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QSignalSpy>
#include <QStatusBar>

#include "RadicaleFixture.h"
#include "app/AppPaths.h"
#include "app/FrameSync.h"
#include "data/Connection.h"
#include "support/ScriptedPrompter.h"
#include "sync/SyncAccountDialog.h"
#include "sync/SyncSettings.h"

namespace {

// A key store that is not there, as on the test machine: every read finds nothing.
class NoKeyStore : public CPasswordStore {
public:
    void read(const QString&, Found found) override { found(std::nullopt); }
    void write(const QString&, const QString&, Written written) override {
        ++writes;
        written(false);
    }
    int writes = 0;
};

class SyncWindowTest : public RadicaleTest {
protected:
    void SetUp() override {
        RadicaleTest::SetUp();
        setPrompter(&prompter);
        openSharedDatabase(QString());
    }
    void TearDown() override {
        setPrompter(nullptr);
        RadicaleTest::TearDown();
    }
    template <typename Sender, typename Signal>
    void waitFor(Sender* sender, Signal signal) {
        QSignalSpy spy(sender, signal);
        ASSERT_TRUE(spy.wait(120'000));
    }
    SyncSummary syncWith(CFrameSync& frame) {
        QSignalSpy finished(&frame, &CFrameSync::finished);
        frame.syncNow();
        EXPECT_TRUE(frame.isRunning());
        EXPECT_TRUE(finished.wait(120'000));
        EXPECT_FALSE(frame.isRunning());
        return finished.isEmpty() ? SyncSummary{} : finished.first().first().value<SyncSummary>();
    }

    ScriptedPrompter prompter;
};

TEST_F(SyncWindowTest, TheAccountDialogFindsTheAddressBookOfTheUser) {
    CSyncAccountDialog dialog(SyncAccount{});
    dialog.findChild<QLineEdit*>("url")->setText(server());
    dialog.findChild<QLineEdit*>("user")->setText(QLatin1String(kUser));
    dialog.findChild<QLineEdit*>("password")->setText(QLatin1String(kPassword));
    dialog.find();
    waitFor(&dialog, &CSyncAccountDialog::searchFinished);
    const auto* books = dialog.findChild<QComboBox*>("addressbook");
    ASSERT_EQ(books->count(), 1);
    EXPECT_EQ(books->currentData().toString(), server() + bookPath());
    const SyncAccount chosen = dialog.account();
    EXPECT_EQ(chosen.addressbook.toString(), server() + bookPath());
    EXPECT_FALSE(chosen.calendar.isValid() && !chosen.calendar.isEmpty());

    // A wrong password is said as such.
    dialog.findChild<QLineEdit*>("password")->setText(QStringLiteral("wrong"));
    dialog.find();
    waitFor(&dialog, &CSyncAccountDialog::searchFinished);
    EXPECT_EQ(books->count(), 1);
    EXPECT_TRUE(dialog.findChild<QLabel*>("status")->text().contains(u"user name or password"));
}

TEST_F(SyncWindowTest, SyncNowAsksThePasswordOncePerRunAndShowsTheSummary) {
    SyncAccount account = this->account();
    account.password.clear();
    ASSERT_TRUE(syncsettings::save(settingsFilePath(), account));
    CStatement insert(db, QStringLiteral("INSERT INTO \"Person\" (\"lastname\") VALUES ('Solo')"));
    insert.execute();
    QMainWindow window;
    NoKeyStore store;
    int stateChanges = 0;
    CFrameSync frame(window, store, [&] { ++stateChanges; });
    ASSERT_TRUE(frame.hasAccount());

    prompter.answerPassword(QStringLiteral("wrong"));
    prompter.answer(Prompter::Ok);
    const SyncSummary refused = syncWith(frame);
    EXPECT_TRUE(refused.error.contains(u"user name or password"));
    ASSERT_EQ(prompter.messages().size(), 2);
    EXPECT_TRUE(prompter.messages().last().contains(u"user name or password"));

    prompter.answerPassword(QLatin1String(kPassword));
    const SyncSummary first = syncWith(frame);
    EXPECT_TRUE(first.ok()) << first.error.toStdString();
    EXPECT_EQ(first.sent, 1);
    EXPECT_EQ(window.statusBar()->currentMessage(), u"Sync: 0 received, 1 sent, 0 deleted");
    EXPECT_GE(stateChanges, 4);

    // The password of this run is known now: no question.
    const qsizetype asked = prompter.messages().size();
    const SyncSummary second = syncWith(frame);
    EXPECT_TRUE(second.ok());
    EXPECT_EQ(prompter.messages().size(), asked);
    // Offered to the key store, never written to the settings file.
    EXPECT_GE(store.writes, 1);
    QFile ini(settingsFilePath());
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_FALSE(ini.readAll().contains(kPassword));
    EXPECT_EQ(serverCards().size(), 1);
}

class UntrustedServerTest : public SyncWindowTest {
protected:
    bool tls() const override { return true; }
    QString serverKey() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
};

TEST_F(UntrustedServerTest, TheAnswerAboutAnUntrustedCertificateIsAskedOnceAndKept) {
    ASSERT_TRUE(syncsettings::save(settingsFilePath(), account()));
    QMainWindow window;
    NoKeyStore store;
    {
        CFrameSync frame(window, store, [] {});
        prompter.answerPassword(QLatin1String(kPassword));
        prompter.answer(Prompter::No);
        prompter.answer(Prompter::Ok);
        const SyncSummary refused = syncWith(frame);
        EXPECT_FALSE(refused.ok());
        ASSERT_EQ(prompter.messages().size(), 3);
        EXPECT_TRUE(prompter.messages()[1].contains(u"certificate"))
            << prompter.messages()[1].toStdString();
        EXPECT_TRUE(prompter.messages()[2].contains(u"could not be reached"))
            << prompter.messages()[2].toStdString();
    }
    EXPECT_TRUE(serverCards().isEmpty());
    // The refusal is kept; once trusted, the sync runs without asking.
    EXPECT_EQ(syncsettings::trusted(settingsFilePath(), serverKey()), 0);
    ASSERT_TRUE(syncsettings::setTrusted(settingsFilePath(), serverKey(), true));
    CStatement insert(db, QStringLiteral("INSERT INTO \"Person\" (\"lastname\") VALUES ('Tls')"));
    insert.execute();
    prompter.clear();
    CFrameSync frame(window, store, [] {});
    prompter.answerPassword(QLatin1String(kPassword));
    const SyncSummary trusted = syncWith(frame);
    EXPECT_TRUE(trusted.ok()) << trusted.error.toStdString();
    EXPECT_EQ(prompter.messages().size(), 1);
    EXPECT_EQ(serverCards().size(), 1);
}

}  // namespace
