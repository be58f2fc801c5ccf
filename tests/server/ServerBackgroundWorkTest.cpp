#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QThread>
#include <QUrl>

#include "ServerTestSupport.h"
#include "data/BackgroundWorker.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "data/ServerConnection.h"
#include "data/ServerSchema.h"
#include "lists/SearchResultModel.h"

namespace {

using Delivery = CBackgroundWorker::Delivery;

// What a job saw of its session: the server process, whether its transactions only read,
// and the channels it listens on.
struct Session {
    QString process;
    QString readOnly;
    QString channels;
};

Session runJob(CBackgroundWorker& worker, const QString& uri, QString& failure) {
    QSignalSpy finished(&worker, &CBackgroundWorker::finished);
    Session seen;
    worker.start(
        uri, QString::fromUtf8(PgTestServer::kPassword),
        [&seen](CDatabase& db, const std::stop_token&) -> Delivery {
            const CServerResult row = db.server().exec(QStringLiteral(
                "SELECT pg_backend_pid(), current_setting('default_transaction_read_only'), "
                "(SELECT count(*) FROM pg_listening_channels())"));
            Session session{row.text(0, 0), row.text(0, 1), row.text(0, 2)};
            return [&seen, session] { seen = session; };
        },
        [&failure](const CDbException& error) { failure = error.description(); });
    EXPECT_TRUE(finished.wait());
    return seen;
}

}  // namespace

// Work in the background reads on a connection that only reads and hears nothing, and the
// next job finds it open; a session the server ended meanwhile is made anew, unnoticed.
TEST(ServerBackgroundWork, TheNextJobReadsOnTheSameQuietConnection) {
    const QString uri = testServer().createDatabase();
    {
        CServerConnection setup(uri, QString::fromUtf8(PgTestServer::kPassword));
        serverschema::ensure(setup);
    }
    CBackgroundWorker worker;
    QString failure;
    const Session first = runJob(worker, uri, failure);
    EXPECT_EQ(first.readOnly, QLatin1String("on"));
    EXPECT_EQ(first.channels, QLatin1String("0"));
    const Session second = runJob(worker, uri, failure);
    EXPECT_EQ(second.process, first.process);

    testServer().admin()->exec(QStringLiteral("SELECT pg_terminate_backend($1)"), {second.process});
    const Session third = runJob(worker, uri, failure);
    EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
    EXPECT_FALSE(third.process.isEmpty());
    EXPECT_NE(third.process, second.process);
    EXPECT_EQ(third.readOnly, QLatin1String("on"));
}

// The search tool reads its pages on a connection of its own, which it keeps from one search
// to the next; one whose session the server ended is made anew.
TEST(ServerBackgroundWork, RepeatedSearchesMakeNoNewConnections) {
    const QString uri = testServer().createDatabase();
    const QString password = QString::fromUtf8(PgTestServer::kPassword);
    {
        CServerConnection setup(uri, password);
        serverschema::ensure(setup);
        setup.exec(QStringLiteral("INSERT INTO \"Person\" (lastname) VALUES ('Xaver')"));
    }
    const QString database = QUrl(uri).path().mid(1);
    const auto admin = testServer().admin();
    const auto sessions = [&] {
        return admin
            ->exec(QStringLiteral("SELECT string_agg(pid::text, ',' ORDER BY pid) FROM "
                                  "pg_stat_activity WHERE datname = $1"),
                   {database})
            .text(0, 0);
    };
    CSearchResultModel model;
    const auto search = [&] {
        model.search(uri, password, {SearchKind::Person}, QStringLiteral("xav"));
        model.wait();
        return model.hitCount();
    };
    EXPECT_EQ(search(), 1);
    const QString afterFirst = sessions();
    EXPECT_EQ(afterFirst.count(u','), 1) << "the pages' connection and the search's";
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(search(), 1);
    EXPECT_EQ(sessions(), afterFirst);

    admin->exec(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                               "datname = $1"),
                {database});
    for (int i = 0; i < 500 && !sessions().isEmpty(); ++i)
        QThread::msleep(10);
    EXPECT_EQ(search(), 1);
    EXPECT_EQ(model.line(0), QStringLiteral("Person: Xaver  Firm: "));
}
