#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStatusBar>

#include "RadicaleFixture.h"
#include "app/AppPaths.h"
#include "app/FrameSync.h"
#include "data/Connection.h"
#include "support/ScriptedPrompter.h"
#include "sync/ConflictDialog.h"
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

// Answers the conflict dialog once it shows: keeps this file's value of `field`.
class ConflictAnswer : public QObject {
public:
    explicit ConflictAnswer(QString field) : m_field(std::move(field)) {
        qApp->installEventFilter(this);
    }
    ~ConflictAnswer() override { qApp->removeEventFilter(this); }
    int answered = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && qobject_cast<CConflictDialog*>(watched))
            QTimer::singleShot(0, this, [this] { answer(); });
        return false;
    }

private:
    void answer() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<CConflictDialog*>(widget);
            if (!dialog || !dialog->isVisible())
                continue;
            dialog->findChild<QRadioButton*>(m_field + QStringLiteral("_local"))->setChecked(true);
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            ++answered;
        }
    }
    QString m_field;
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

TEST_F(SyncWindowTest, SyncNowTakesTheCalendarTooAndAsksAboutAConflict) {
    SyncAccount account = this->account(SyncAccount::Conflict::Ask);
    ASSERT_TRUE(syncsettings::save(settingsFilePath(), account));
    CStatement person(db, QStringLiteral("INSERT INTO \"Person\" (\"lastname\") VALUES ('Solo')"));
    person.execute();
    CStatement alarm(db, QStringLiteral("INSERT INTO \"Alarm\" (\"name\", \"date\", \"time\", "
                                        "\"status\") VALUES ('Meet', '2026-12-01 09:00:00', "
                                        "'2026-12-01 09:00:00', 1)"));
    alarm.execute();
    QMainWindow window;
    NoKeyStore store;
    CFrameSync frame(window, store, [] {});
    prompter.answerPassword(QLatin1String(kPassword));
    const SyncSummary first = syncWith(frame);
    EXPECT_TRUE(first.ok()) << first.error.toStdString();
    EXPECT_EQ(window.statusBar()->currentMessage(), u"Sync: 0 received, 2 sent, 0 deleted");

    const QStringList events =
        QDir(m_serverDir.filePath(QStringLiteral("store/collection-root/anna/alarms")))
            .entryList({QStringLiteral("*.ics")});
    ASSERT_EQ(events.size(), 1);
    const QString href = calendarPath() + events.first();
    QByteArray text = curl("GET", href).body;
    text.replace("SUMMARY:Meet", "SUMMARY:Meet Eva");
    ASSERT_LT(curl("PUT", href, text, {QStringLiteral("Content-Type: text/calendar")}).status, 300);
    CStatement rename(db, QStringLiteral("UPDATE \"Alarm\" SET \"name\" = 'Meet Ana'"));
    rename.execute();

    const ConflictAnswer keepLocal(QStringLiteral("name"));
    const SyncSummary second = syncWith(frame);
    EXPECT_TRUE(second.ok()) << second.error.toStdString();
    EXPECT_EQ(keepLocal.answered, 1);
    EXPECT_EQ(second.conflicts, 1);
    CStatement read(db, QStringLiteral("SELECT \"name\" FROM \"Alarm\""));
    ASSERT_TRUE(read.step());
    EXPECT_EQ(read.text(0), u"Meet Ana");
    const QByteArray onServer = curl("GET", href).body;
    EXPECT_TRUE(onServer.contains("SUMMARY:Meet Ana")) << onServer.toStdString();
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
