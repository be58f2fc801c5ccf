#include <sys/wait.h>
#include <unistd.h>

#include <QLockFile>
#include <QProcess>
#include <QTimer>

#include "RadicaleFixture.h"
#include "data/FileDamage.h"
#include "data/Statement.h"
#include "data/SyncTurn.h"

namespace {

QByteArray card(const QString& uid, const QString& last, const QString& first,
                const QByteArray& more = {}) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid.toUtf8() + "\r\nN:" + last.toUtf8() + ';' +
           first.toUtf8() + ";;;\r\nFN:" + first.toUtf8() + ' ' + last.toUtf8() + "\r\n" + more +
           "END:VCARD\r\n";
}

class SyncTest : public RadicaleTest {
protected:
    qint64 addPerson(const QString& last, const QString& first, const QString& mobile = {}) {
        CStatement insert(db, QStringLiteral("INSERT INTO \"Person\" (\"lastname\", "
                                             "\"firstname\", \"phone_mobile\") VALUES (?, ?, ?)"));
        insert.bind(1, last);
        insert.bind(2, first);
        insert.bind(3, mobile.isEmpty() ? QVariant() : QVariant(mobile));
        insert.execute();
        CStatement id(db, QStringLiteral("SELECT last_insert_rowid()"));
        id.step();
        return id.int64(0);
    }
    void setPerson(qint64 id, const char* column, const QString& value) {
        CStatement update(db, QStringLiteral("UPDATE \"Person\" SET \"%1\" = ? WHERE \"id\" = ?")
                                  .arg(QLatin1String(column)));
        update.bind(1, value);
        update.bind(2, id);
        update.execute();
    }
    void deletePerson(qint64 id) {
        CStatement remove(db, QStringLiteral("DELETE FROM \"Person\" WHERE \"id\" = ?"));
        remove.bind(1, id);
        remove.execute();
    }
    // The value of a person found by last name; "(none)" when there is no such person.
    QString personValue(const QString& last, const char* column) {
        CStatement read(db, QStringLiteral("SELECT \"%1\" FROM \"Person\" WHERE \"lastname\" = ?")
                                .arg(QLatin1String(column)));
        read.bind(1, last);
        return read.step() ? read.text(0) : QStringLiteral("(none)");
    }
    QStringList lastNames() {
        QStringList names;
        CStatement read(db, QStringLiteral("SELECT \"lastname\" FROM \"Person\" ORDER BY 1"));
        while (read.step())
            names << read.text(0);
        return names;
    }
    // The family names of the cards on the server, sorted, as the server's files hold them.
    QStringList serverNames() {
        QStringList names;
        for (const QByteArray& text : serverCards())
            for (const QByteArray& line : text.split('\n'))
                if (line.startsWith("N:"))
                    names << QString::fromUtf8(line.mid(2).split(';').value(0));
        names.sort();
        return names;
    }
    QString hrefOfServerCard(const QString& last) {
        const auto cards = serverCards();
        for (auto it = cards.cbegin(); it != cards.cend(); ++it)
            if (it.value().contains("N:" + last.toUtf8() + ';'))
                return bookPath() + it.key();
        return {};
    }
    void expectSynced(const SyncSummary& summary) {
        EXPECT_TRUE(summary.ok()) << summary.text().toStdString();
    }
    // Twelve cards on the server, Batch00 to Batch11, with `more` lines each.
    void putTwelveCards(const QByteArray& more = {}) {
        for (int i = 0; i < 12; ++i) {
            const QString name = QStringLiteral("Batch%1").arg(i, 2, 10, QChar(u'0'));
            putCard(name.toLower(), card(QStringLiteral("u-") + name, name, "B", more));
        }
    }
    // A sync that writes five resources per transaction; `onWriting` is called before each.
    SyncSummary syncInBatches(const std::function<void(int batch)>& onWriting,
                              SyncAccount::Conflict conflict = SyncAccount::Conflict::Server) {
        const std::unique_ptr<CCollectionSync> engine =
            CCollectionSync::forAddressBook(db, account(conflict));
        engine->setResourcesPerBatch(5);
        int batch = 0;
        return run(*engine, {}, [&](CCollectionSync&, const QString& text) {
            if (text.contains(u"writing"))
                onWriting(++batch);
        });
    }
};

TEST_F(SyncTest, FirstSyncOfTwoFilledSidesDoublesNothingAndMergesTheMatches) {
    const qint64 berg = addPerson("Berg", "Lena");
    addPerson("Holm", "Nils", "+46 70 1");
    putCard("berg", card("u-berg", "BERG", "lena", "TEL;TYPE=CELL:+46 70 2\r\n"));
    putCard("dahl", card("u-dahl", "Dahl", "Eva"));
    // The duplicate matcher pairs a spelling without umlauts with the file's record.
    addPerson("Müller", "Jürgen");
    putCard("mueller", card("u-mueller", "Mueller", "Juergen"));

    const SyncSummary summary = sync();
    expectSynced(summary);
    EXPECT_EQ(lastNames().size(), 4) << lastNames().join(u',').toStdString();
    EXPECT_EQ(lastNames().mid(0, 3), (QStringList{"BERG", "Dahl", "Holm"}));
    EXPECT_EQ(serverNames(), lastNames());
    EXPECT_EQ(personValue("BERG", "phone_mobile"), u"+46 70 2");
    EXPECT_EQ(readSyncItems(db, account().collectionKey()).size(), 4);
    Q_UNUSED(berg);

    // Nothing changed: nothing moves.
    const SyncSummary again = sync();
    expectSynced(again);
    EXPECT_EQ(again.received + again.sent + again.deleted, 0) << again.text().toStdString();
    EXPECT_EQ(serverCards().size(), 4);
}

TEST_F(SyncTest, AddsChangesAndDeletionsTravelBothWays) {
    const qint64 keep = addPerson("Keep", "Karl");
    const qint64 gone = addPerson("Gone", "Greta");
    putCard("srvchange", card("u-sc", "ServerChange", "Sam"));
    putCard("srvdelete", card("u-sd", "ServerDelete", "Sue"));
    expectSynced(sync());

    setPerson(keep, "phone_mobile", "+1 555");
    deletePerson(gone);
    addPerson("Fresh", "Frida");
    putCard("srvchange", card("u-sc", "ServerChange", "Sam", "EMAIL;TYPE=HOME:sam@x.example\r\n"));
    ASSERT_EQ(curl("DELETE", bookPath() + "srvdelete.vcf").status, 200);
    putCard("srvnew", card("u-sn", "ServerNew", "Nora"));

    const SyncSummary summary = sync();
    expectSynced(summary);
    EXPECT_EQ(summary.received, 2);
    EXPECT_EQ(summary.sent, 2);
    EXPECT_EQ(summary.deleted, 2);
    EXPECT_EQ(lastNames(), (QStringList{"Fresh", "Keep", "ServerChange", "ServerNew"}));
    EXPECT_EQ(serverNames(), (QStringList{"Fresh", "Keep", "ServerChange", "ServerNew"}));
    EXPECT_EQ(personValue("ServerChange", "email_home"), u"sam@x.example");
    EXPECT_TRUE(getCard(hrefOfServerCard("Keep")).contains("+1 555"));
}

TEST_F(SyncTest, TheSameFieldChangedOnBothSidesFollowsTheConflictSetting) {
    struct Case {
        SyncAccount::Conflict setting;
        std::optional<ConflictChoice> answer;
        const char* wanted;
    };
    const Case cases[] = {{SyncAccount::Conflict::Server, {}, "+2 server"},
                          {SyncAccount::Conflict::Local, {}, "+3 local"},
                          {SyncAccount::Conflict::Ask, ConflictChoice::Local, "+3 local"},
                          {SyncAccount::Conflict::Ask, ConflictChoice::Server, "+2 server"}};
    int round = 0;
    for (const Case& c : cases) {
        const QString last = QStringLiteral("Case%1").arg(++round);
        const qint64 id = addPerson(last, "Per", "+1 base");
        expectSynced(sync());
        const QString href = hrefOfServerCard(last);
        ASSERT_FALSE(href.isEmpty());
        // The server changes the mobile and the e-mail, this side the mobile and the title.
        QByteArray text = getCard(href);
        text.replace("+1 base", "+2 server");
        text.replace("END:VCARD", "EMAIL;TYPE=HOME:per@x.example\r\nEND:VCARD");
        ASSERT_LT(curl("PUT", href, text, {QStringLiteral("Content-Type: text/vcard")}).status,
                  300);
        setPerson(id, "phone_mobile", "+3 local");
        setPerson(id, "title", "Dr.");

        QList<FieldConflict> asked;
        const SyncSummary summary =
            sync(c.setting, [&](const QString&, const QList<FieldConflict>& conflicts) {
                asked = conflicts;
                return QList<ConflictChoice>(conflicts.size(), *c.answer);
            });
        expectSynced(summary);
        EXPECT_EQ(summary.conflicts, 1) << last.toStdString();
        EXPECT_EQ(personValue(last, "phone_mobile"), QLatin1String(c.wanted)) << last.toStdString();
        // Fields only one side changed are merged whatever the setting.
        EXPECT_EQ(personValue(last, "email_home"), u"per@x.example") << last.toStdString();
        EXPECT_EQ(personValue(last, "title"), u"Dr.") << last.toStdString();
        const QByteArray onServer = getCard(href);
        EXPECT_TRUE(onServer.contains(c.wanted)) << onServer.toStdString();
        EXPECT_TRUE(onServer.contains("per@x.example")) << onServer.toStdString();
        EXPECT_TRUE(onServer.contains(";Dr.;")) << onServer.toStdString();
        if (c.setting == SyncAccount::Conflict::Ask) {
            ASSERT_EQ(asked.size(), 1);
            EXPECT_EQ(asked[0].column, u"phone_mobile");
            EXPECT_EQ(asked[0].local, u"+3 local");
            EXPECT_EQ(asked[0].server, u"+2 server");
        }
    }
    EXPECT_EQ(serverCards().size(), 4);
}

TEST_F(SyncTest, ADeletionLosesAgainstAChangeOnTheOtherSide) {
    const qint64 local = addPerson("DeletedHere", "Dora");
    const qint64 changed = addPerson("ChangedHere", "Carl");
    expectSynced(sync());

    // Deleted here, changed on the server: the server's card comes back.
    deletePerson(local);
    const QString href = hrefOfServerCard("DeletedHere");
    QByteArray text = getCard(href);
    text.replace("END:VCARD", "TEL;TYPE=CELL:+9 9\r\nEND:VCARD");
    ASSERT_LT(curl("PUT", href, text, {QStringLiteral("Content-Type: text/vcard")}).status, 300);
    // Changed here, deleted on the server: it goes back to the server.
    setPerson(changed, "phone_mobile", "+8 8");
    ASSERT_EQ(curl("DELETE", hrefOfServerCard("ChangedHere")).status, 200);

    expectSynced(sync());
    EXPECT_EQ(personValue("DeletedHere", "phone_mobile"), u"+9 9");
    EXPECT_EQ(personValue("ChangedHere", "phone_mobile"), u"+8 8");
    EXPECT_EQ(serverNames(), (QStringList{"ChangedHere", "DeletedHere"}));
    EXPECT_TRUE(serverCards().size() == 2);
}

TEST_F(SyncTest, ACardChangedOnTheServerWhileSendingIsMergedNotOverwritten) {
    const qint64 id = addPerson("Race", "Rita", "+1 old");
    expectSynced(sync());
    const QString href = hrefOfServerCard("Race");
    setPerson(id, "phone_mobile", "+1 new");
    bool changed = false;
    const SyncSummary summary =
        sync(SyncAccount::Conflict::Server, {}, [&](CCollectionSync&, const QString& text) {
            if (changed || !text.contains(u"sending"))
                return;
            changed = true;
            // The other client writes after this sync read the server and before it writes.
            QByteArray other = getCard(href);
            other.replace("END:VCARD", "EMAIL;TYPE=WORK:rita@work.example\r\nEND:VCARD");
            EXPECT_LT(curl("PUT", href, other, {QStringLiteral("Content-Type: text/vcard")}).status,
                      300);
        });
    ASSERT_TRUE(changed);
    expectSynced(summary);
    const QByteArray onServer = getCard(href);
    EXPECT_TRUE(onServer.contains("+1 new")) << onServer.toStdString();
    EXPECT_TRUE(onServer.contains("rita@work.example")) << onServer.toStdString();
    EXPECT_EQ(personValue("Race", "email_bussines"), u"rita@work.example");
    EXPECT_EQ(personValue("Race", "phone_mobile"), u"+1 new");
}

TEST_F(SyncTest, AForgottenTokenGivesAFullComparisonWithoutDoubles) {
    addPerson("Alpha", "A");
    putCard("beta", card("u-beta", "Beta", "B"));
    putCard("gamma", card("u-gamma", "Gamma", "G"));
    expectSynced(sync());
    ASSERT_EQ(curl("DELETE", bookPath() + "gamma.vcf").status, 200);
    {
        CSyncBatch batch(db, account().collectionKey());
        batch.setCollection({QStringLiteral("http://radicale.org/ns/sync/unknown"), {}});
        batch.Commit();
    }
    const SyncSummary summary = sync();
    expectSynced(summary);
    EXPECT_EQ(summary.received, 0);
    EXPECT_EQ(summary.sent, 0);
    EXPECT_EQ(summary.deleted, 1);
    EXPECT_EQ(lastNames(), (QStringList{"Alpha", "Beta"}));
    EXPECT_EQ(serverNames(), (QStringList{"Alpha", "Beta"}));
    EXPECT_NE(readSyncCollection(db, account().collectionKey()).token,
              u"http://radicale.org/ns/sync/unknown");
}

TEST_F(SyncTest, WithoutSyncReportsAnUnchangedCtagEndsTheSyncAfterOneRequest) {
    // The server is treated as one without sync-collection: the ctag and the ETags tell.
    auto withoutReports = [this](int* requests = nullptr) {
        const std::unique_ptr<CCollectionSync> engine =
            CCollectionSync::forAddressBook(db, account());
        engine->setUseSyncReports(false);
        const SyncSummary summary = run(*engine);
        if (requests)
            *requests = engine->requestCount();
        return summary;
    };
    const qint64 here = addPerson("Here", "H");
    putCard("there", card("u-there", "There", "T"));
    expectSynced(withoutReports());
    EXPECT_EQ(lastNames(), (QStringList{"Here", "There"}));
    // The card sent changed the ctag: one more listing finds nothing new.
    const SyncSummary listed = withoutReports();
    EXPECT_EQ(listed.received + listed.sent + listed.deleted, 0) << listed.text().toStdString();

    // An unchanged ctag is taken at its word: not even an ETag that differs is looked at.
    {
        CSyncBatch batch(db, account().collectionKey());
        SyncItem stale = readSyncItems(db, account().collectionKey()).value(0);
        stale.etag = QStringLiteral("\"stale\"");
        batch.putItem(stale);
        batch.Commit();
    }
    int requests = 0;
    const SyncSummary quiet = withoutReports(&requests);
    expectSynced(quiet);
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(quiet.received + quiet.sent + quiet.deleted, 0) << quiet.text().toStdString();

    // A change here still goes out when the server's ctag is unchanged.
    setPerson(here, "phone_mobile", "+3 3");
    EXPECT_EQ(withoutReports().sent, 1);
    // And one there comes in.
    putCard("there", card("u-there", "There", "Tove"));
    EXPECT_EQ(withoutReports().received, 1);
    EXPECT_EQ(personValue("There", "firstname"), u"Tove");
    EXPECT_TRUE(readSyncCollection(db, account().collectionKey()).token.isEmpty());
}

TEST_F(SyncTest, AServerGoneInTheMiddleLosesNothingAndTheNextSyncCompletes) {
    for (int i = 0; i < 40; ++i)
        addPerson(QStringLiteral("Many%1").arg(i, 2, 10, QChar(u'0')), "M");
    putCard("remote", card("u-remote", "Remote", "R"));
    bool stopped = false;
    const SyncSummary cut =
        sync(SyncAccount::Conflict::Server, {}, [&](CCollectionSync&, const QString& text) {
            if (!stopped && text.contains(u"sending")) {
                stopped = true;
                stopServer();
            }
        });
    ASSERT_TRUE(stopped);
    EXPECT_FALSE(cut.ok());
    EXPECT_TRUE(cut.error.contains(u"could not be reached")) << cut.error.toStdString();
    EXPECT_EQ(rowsIn("Person"), 41);

    // Offline, a change waits for the next sync.
    setPerson(addPerson("Offline", "O"), "phone_mobile", "+7");
    startServer();
    const SyncSummary next = sync();
    expectSynced(next);
    EXPECT_EQ(rowsIn("Person"), 42);
    EXPECT_EQ(serverCards().size(), 42);
    const QStringList names = serverNames();
    EXPECT_EQ(QSet<QString>(names.cbegin(), names.cend()).size(), 42);
    EXPECT_TRUE(getCard(hrefOfServerCard("Offline")).contains("+7"));
}

TEST_F(SyncTest, PropertiesWithoutAColumnSurviveALocalChangeAndCardsReadBackElsewhere) {
    const QByteArray extras =
        "BDAY:1970-05-01\r\n"
        "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQ==\r\n"
        "X-PHONE-APP-ID:abc-123\r\n"
        "TEL;TYPE=CELL:+46 70 1\r\n"
        "TEL;TYPE=CELL:+46 70 second\r\n"
        "item1.X-ABLABEL:Old friend\r\n"
        "NOTE:met in Lund\r\n";
    putCard("phone", card("u-phone", "Phone", "Paula", extras));
    addPerson("Written", "Wilma Ö", "+1 1");
    expectSynced(sync());
    const QString description = personValue("Phone", "description");
    EXPECT_TRUE(description.startsWith(u"met in Lund")) << description.toStdString();

    CStatement update(db, QStringLiteral("UPDATE \"Person\" SET \"phone_mobile\" = '+46 70 new', "
                                         "\"firstname\" = 'Paulina' WHERE \"lastname\" = 'Phone'"));
    update.execute();
    expectSynced(sync());
    const QByteArray text = getCard(bookPath() + "phone.vcf");
    for (const char* kept : {"BDAY:1970-05-01", "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQ==",
                             "X-PHONE-APP-ID:abc-123", "+46 70 second",
                             "item1.X-ABLABEL:Old friend", "UID:u-phone", "NOTE:met in Lund\r\n"})
        EXPECT_TRUE(text.contains(kept)) << kept << "\n" << text.toStdString();
    EXPECT_TRUE(text.contains("+46 70 new")) << text.toStdString();
    EXPECT_FALSE(text.contains("TEL;TYPE=CELL:+46 70 1\r\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("FN:Paulina Phone")) << text.toStdString();
    // The description read from the card did not grow by what the card adds to it.
    EXPECT_EQ(personValue("Phone", "description").toStdString(), description.toStdString());
    const SyncSummary quiet = sync();
    EXPECT_EQ(quiet.received + quiet.sent, 0) << quiet.text().toStdString();

    // Another program's reader takes every card as written.
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(TARVEX_TEST_DIR "/read_cards.py"), storeFolder()});
    ASSERT_TRUE(python.waitForFinished(60'000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    const QString read = QString::fromUtf8(python.readAllStandardOutput());
    EXPECT_TRUE(read.contains(u"Paulina Phone|+46 70 new")) << read.toStdString();
    EXPECT_TRUE(read.contains(u"Wilma Ö Written|+1 1")) << read.toStdString();
}

TEST_F(SyncTest, NewCardsAreWrittenInTheVersionTheAddressBookTakes) {
    cardVersion = VCardVersion::V4;
    CStatement insert(db, QStringLiteral("INSERT INTO \"Firm\" (\"name\", \"phone1\") "
                                         "VALUES ('Acme', '+1 2')"));
    insert.execute();
    expectSynced(sync());
    const QMap<QString, QByteArray> cards = serverCards();
    ASSERT_EQ(cards.size(), 1);
    const QByteArray text = cards.first();
    EXPECT_TRUE(text.contains("VERSION:4.0") && text.contains("KIND:org")) << text.toStdString();
    const SyncSummary again = sync();
    EXPECT_EQ(again.received + again.sent, 0) << again.text().toStdString();
}

TEST_F(SyncTest, AFileOfTheVersionBeforeGetsTheSyncTablesWhenOpened) {
    db.Close();
    {
        CDatabase old;
        old.Open(dbPath);
        for (const char* sql : {"DROP TABLE \"SyncItem\"", "DROP TABLE \"SyncCollection\"",
                                "PRAGMA user_version = 1"})
            CStatement(old, QLatin1String(sql)).execute();
    }
    db.Open(dbPath);
    addPerson("Upgraded", "U");
    expectSynced(sync());
    EXPECT_EQ(readSyncItems(db, account().collectionKey()).size(), 1);
    EXPECT_EQ(serverNames(), QStringList{"Upgraded"});
}

TEST_F(SyncTest, AWrongPasswordIsSaidInPlainWordsAndChangesNothing) {
    addPerson("Local", "L");
    SyncAccount wrong = account();
    wrong.password = QStringLiteral("nope");
    const SyncSummary summary = run(*CCollectionSync::forAddressBook(db, wrong));
    EXPECT_TRUE(summary.error.contains(u"user name or password")) << summary.error.toStdString();
    EXPECT_TRUE(readSyncItems(db, wrong.collectionKey()).isEmpty());
    EXPECT_EQ(rowsIn("Person"), 1);
    EXPECT_TRUE(serverCards().isEmpty());
}

}  // namespace

TEST_F(SyncTest, ALargeSyncWritesInBatchesAndTheEventLoopRunsBetweenThem) {
    putTwelveCards();
    addPerson("Local", "L");
    QObject context;
    qint64 personsWhenTheTimerRan = -1;
    const SyncSummary summary = syncInBatches([&](int batch) {
        if (batch == 1)
            QTimer::singleShot(0, &context, [&] { personsWhenTheTimerRan = rowsIn("Person"); });
    });
    expectSynced(summary);
    // The timer posted before the first batch ran after it and before the second.
    EXPECT_EQ(personsWhenTheTimerRan, 6);
    EXPECT_EQ(summary.received, 12);
    EXPECT_EQ(summary.sent, 1);
    EXPECT_EQ(rowsIn("Person"), 13);
    EXPECT_EQ(serverCards().size(), 13);
}

TEST_F(SyncTest, ASyncCutShortAfterABatchLosesNothingAndTheNextDoublesNothing) {
    putTwelveCards();
    addPerson("Local", "L");
    const SyncSummary cut = syncInBatches([](int batch) {
        // The file refuses every write from the second batch on.
        if (batch == 2)
            filedamage::noteDamage();
    });
    filedamage::resetForTesting();
    EXPECT_FALSE(cut.ok());
    EXPECT_EQ(rowsIn("Person"), 6);
    // The token waits for the last batch: the next sync asks again for what is missing.
    EXPECT_TRUE(readSyncCollection(db, account().collectionKey()).token.isEmpty());

    const SyncSummary next = sync();
    expectSynced(next);
    EXPECT_EQ(next.received, 7);
    EXPECT_EQ(next.sent, 1);
    const QStringList names = lastNames();
    EXPECT_EQ(names.size(), 13);
    EXPECT_EQ(QSet<QString>(names.cbegin(), names.cend()).size(), 13);
    EXPECT_EQ(serverNames(), names);
    const SyncSummary again = sync();
    expectSynced(again);
    EXPECT_EQ(again.received + again.sent + again.deleted, 0) << again.text().toStdString();
}

TEST_F(SyncTest, ARecordEditedHereWhileTheSyncWritesKeepsTheEdit) {
    putTwelveCards();
    expectSynced(sync());
    // The server changes every mobile; this side too, after the sync read the file.
    putTwelveCards("TEL;TYPE=CELL:+1 server\r\n");
    bool edited = false;
    const SyncSummary summary = syncInBatches(
        [&](int) {
            if (std::exchange(edited, true))
                return;
            CStatement edit(db, QStringLiteral("UPDATE \"Person\" SET \"phone_mobile\" = ?"));
            edit.bind(1, QStringLiteral("+2 here"));
            edit.execute();
        },
        SyncAccount::Conflict::Local);
    ASSERT_TRUE(edited);
    expectSynced(summary);
    EXPECT_EQ(summary.conflicts, 12);
    EXPECT_EQ(summary.sent, 12);
    for (int i : {0, 6, 11}) {
        const QString name = QStringLiteral("Batch%1").arg(i, 2, 10, QChar(u'0'));
        EXPECT_EQ(personValue(name, "phone_mobile"), u"+2 here") << i;
        EXPECT_TRUE(getCard(hrefOfServerCard(name)).contains("+2 here")) << i;
    }
    EXPECT_EQ(serverCards().size(), 12);
}

// A second program on the same file that syncs the same address book at once would take the
// same new card for a record of its own: the second waits for its turn, which a program that
// ends gives up, and which is taken over from one that died.
TEST_F(SyncTest, TwoProgramsOnOneFileTakeTurnsToSync) {
    putCard("dahl", card("u-dahl", "Dahl", "Eva"));
    QFileInfoList lockFiles;
    {
        CDatabase other;
        other.Open(db.GetName());
        CSyncTurn othersTurn;
        ASSERT_TRUE(othersTurn.take(other, account().collectionKey()));
        const SyncSummary refused = sync();
        EXPECT_TRUE(refused.error.startsWith(QLatin1String("Another client")))
            << refused.text().toStdString();
        EXPECT_TRUE(lastNames().isEmpty());
        lockFiles = QDir(QFileInfo(db.GetName()).path())
                        .entryInfoList({QStringLiteral("*.lock")}, QDir::Files);
    }
    ASSERT_EQ(lockFiles.size(), 1);
    // A program that died while it synced left its lock file behind.
    const pid_t child = fork();
    if (child == 0) {
        QLockFile left(lockFiles[0].filePath());
        _exit(left.tryLock(0) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(lockFiles[0].exists());
    expectSynced(sync());
    EXPECT_EQ(lastNames(), QStringList{"Dahl"});
    EXPECT_TRUE(QDir(QFileInfo(db.GetName()).path())
                    .entryList({QStringLiteral("*.lock")}, QDir::Files)
                    .isEmpty());
}
