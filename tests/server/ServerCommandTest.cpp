#include <gtest/gtest.h>

#include <QFile>
#include <QMainWindow>
#include <QStatusBar>

#include "ScriptedPrompter.h"
#include "ServerTestSupport.h"
#include "StoreFixture.h"
#include "TempWorkDir.h"
#include "app/AppPaths.h"
#include "app/FrameSync.h"
#include "app/ServerCopyCommands.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/ServerConnection.h"
#include "data/ServerSchema.h"
#include "sync/PasswordStore.h"
#include "sync/SyncSettings.h"

namespace {

class NoKeyStore : public CPasswordStore {
public:
    void read(const QString&, Found found) override { found(std::nullopt); }
    void write(const QString&, const QString&, Written written) override { written(false); }
};

}  // namespace

// The two Tools commands, answered through the prompter as a user would.
TEST_F(TempWorkDirTest, TheToolsCommandsCopyTheOpenFileToTheServerAndBackIntoANewFile) {
    initAppPaths();
    setDatabasePath(path(QStringLiteral("Tarvex.mdb")));
    writeAwkwardFile(databasePath(), QStringLiteral("pw"));
    openSharedDatabase(QStringLiteral("pw"));
    const QString uri = testServer().createDatabase();
    QFile ini(path(QStringLiteral("Tarvex.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[Database]\nServer = %1\n").arg(uri).toUtf8());
    ini.close();
    const QString password = QString::fromUtf8(PgTestServer::kPassword);

    ScriptedPrompter prompts;
    // A wrong password is said in plain words and copies nothing.
    prompts.answerText(uri);
    prompts.answerPassword(QStringLiteral("wrong"));
    prompts.answer(Prompter::Ok);
    RunCopyToServer(nullptr);
    EXPECT_EQ(prompts.textProposed(), uri);
    EXPECT_TRUE(prompts.messages().last().contains(QLatin1String("did not accept the password")));

    prompts.answerText(uri);
    prompts.answerPassword(password);
    prompts.answer(Prompter::Ok);
    RunCopyToServer(nullptr);
    EXPECT_TRUE(prompts.messages().last().contains(QLatin1String(": 56 records")))
        << prompts.messages().last().toStdString();
    CServerConnection server(uri, password);
    EXPECT_EQ(serverschema::rowCount(server), 56);

    // Never over the open file; the copy goes into the new file the user names.
    prompts.answerText(uri);
    prompts.answerPassword(password);
    prompts.answerFile(databasePath());
    prompts.answer(Prompter::Ok);
    RunCopyFromServer(nullptr);
    EXPECT_TRUE(prompts.messages().last().contains(QLatin1String("is the open contacts file")));

    const QString copy = path(QStringLiteral("from server.mdb"));
    prompts.answerText(uri);
    prompts.answerPassword(password);
    prompts.answerFile(copy);
    prompts.answerPassword(QString());
    prompts.answer(Prompter::Ok);
    RunCopyFromServer(nullptr);
    EXPECT_TRUE(prompts.messages().last().contains(QLatin1String(": 56 records")))
        << prompts.messages().last().toStdString();
    CDatabase opened;
    opened.Open(copy);
    EXPECT_EQ(opened.password(), QString());
    sharedDatabase().Close();
}

// The sync keeps its state in tables that a schema of an older version lacks: there it says
// whom to ask rather than asking for a password and failing; once they are there it goes on.
TEST_F(TempWorkDirTest, SyncNowOnAnOlderServerSchemaSaysWhoBringsItUpToDate) {
    initAppPaths();
    setDatabasePath(newStore(Store::Server, {}));
    openSharedDatabase(storePassword(Store::Server));
    SyncAccount account;
    account.server = QUrl(QStringLiteral("http://127.0.0.1:9/"));
    account.user = QStringLiteral("anna");
    account.addressbook = QUrl(QStringLiteral("http://127.0.0.1:9/anna/contacts/"));
    ASSERT_TRUE(syncsettings::save(settingsFilePath(), account));
    QMainWindow window;
    NoKeyStore keys;
    CFrameSync sync(window, keys, [] {});
    ScriptedPrompter prompts;
    const auto setVersion = [](int version) {
        sharedDatabase().server().exec(QStringLiteral("UPDATE tarvex_schema SET version = $1"),
                                       {version});
    };

    setVersion(serverschema::kSyncStateVersion - 1);
    prompts.answer(Prompter::Ok);
    sync.syncNow();
    EXPECT_FALSE(sync.isRunning());
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_TRUE(prompts.messages()[0].contains(QLatin1String("Ask the database's owner")))
        << prompts.messages()[0].toStdString();

    setVersion(serverschema::kVersion);
    prompts.answerPassword(std::nullopt);
    sync.syncNow();
    ASSERT_EQ(prompts.messages().size(), 2);
    EXPECT_TRUE(prompts.messages()[1].startsWith(QLatin1String("Password of anna")))
        << prompts.messages()[1].toStdString();
    EXPECT_EQ(window.statusBar()->currentMessage(), u"Sync cancelled");
    sharedDatabase().Close();
}
