#include "SyncBench.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "BenchTable.h"
#include "data/Database.h"
#include "data/Statement.h"
#include "data/SyncState.h"
#include "sync/CollectionSync.h"
#include "sync/DavClient.h"

namespace {

constexpr int kCards = 10'000;
constexpr int kChanges = 10;
const QString kRadicale = QStringLiteral("/usr/bin/radicale");
const QString kUser = QStringLiteral("bench");
const QString kPassword = QStringLiteral("bench");
const QByteArray kType = "text/vcard; charset=utf-8";

// A Radicale of the benchmark's own on a free loopback port.
class Server {
public:
    explicit Server(const QString& folder) : m_folder(folder) {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        m_port = probe.serverPort();
        probe.close();
        QFile users(m_folder.filePath(QStringLiteral("users")));
        users.open(QIODevice::WriteOnly);
        users.write((kUser + u':' + kPassword + u'\n').toUtf8());
        users.close();
        QFile config(m_folder.filePath(QStringLiteral("config")));
        config.open(QIODevice::WriteOnly);
        config.write(QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n"
                                    "[auth]\ntype = htpasswd\nhtpasswd_filename = %2\n"
                                    "htpasswd_encryption = plain\n[rights]\ntype = owner_only\n"
                                    "[storage]\nfilesystem_folder = %3\n"
                                    "[logging]\nlevel = info\n")
                         .arg(m_port)
                         .arg(users.fileName(), m_folder.filePath(QStringLiteral("store")))
                         .toUtf8());
        config.close();
    }
    ~Server() {
        m_process.kill();
        m_process.waitForFinished();
    }

    bool start() {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(kRadicale,
                        {QStringLiteral("--config"), m_folder.filePath(QStringLiteral("config"))});
        QByteArray log;
        while (!log.contains("Radicale server ready")) {
            if (!m_process.waitForReadyRead(60'000))
                return false;
            log += m_process.readAll();
        }
        return true;
    }

    // The address book's folder on disk, made as the server makes it.
    QString bookFolder() const {
        return m_folder.filePath(QStringLiteral("store/collection-root/%1/contacts").arg(kUser));
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }
    QString bookPath() const { return QStringLiteral("/%1/contacts/").arg(kUser); }

private:
    QDir m_folder;
    quint16 m_port = 0;
    QProcess m_process;
};

QByteArray cardText(int i, const QString& mobile) {
    return QStringLiteral(
               "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:bench-%1\r\nN:Lastname%1;Anna;;;\r\n"
               "FN:Anna Lastname%1\r\nTEL;TYPE=CELL:%2\r\n"
               "EMAIL;TYPE=INTERNET,HOME:anna%1@example.org\r\n"
               "ADR;TYPE=HOME:;;Street %1;Town;;12345;Country\r\n"
               "NOTE:card number %1\r\nEND:VCARD\r\n")
        .arg(i)
        .arg(mobile)
        .toUtf8();
}

void writeCards(const QString& folder) {
    QDir().mkpath(folder);
    QFile props(QDir(folder).filePath(QStringLiteral(".Radicale.props")));
    props.open(QIODevice::WriteOnly);
    props.write(R"({"tag": "VADDRESSBOOK"})");
    props.close();
    for (int i = 0; i < kCards; ++i) {
        QFile card(QDir(folder).filePath(QStringLiteral("bench-%1.vcf").arg(i)));
        card.open(QIODevice::WriteOnly);
        card.write(cardText(i, QStringLiteral("+1 %1").arg(i)));
    }
}

// Runs requests one after another and waits for the last answer.
class Plain {
public:
    explicit Plain(const Server& server) : m_client(QUrl(server.url()), kUser, kPassword) {
        // One answer with every card takes the server longer than a sync's requests may.
        m_client.setTransferTimeout(0);
    }

    DavReply run(const std::function<void(CDavClient&, CDavClient::Done)>& request) {
        DavReply answer;
        QEventLoop loop;
        request(m_client, [&](const DavReply& reply) {
            answer = reply;
            loop.quit();
        });
        loop.exec();
        return answer;
    }

private:
    CDavClient m_client;
};

QByteArray reportBody(const QString& token, bool withData) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><d:sync-collection xmlns:d=\"DAV:\" "
           "xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:sync-token>" +
           token.toUtf8() + "</d:sync-token><d:sync-level>1</d:sync-level><d:prop><d:getetag/>" +
           (withData ? QByteArray("<c:address-data/>") : QByteArray()) +
           "</d:prop></d:sync-collection>";
}

// With `syncReports` off, the sync acts as with a server without sync-collection. `pauseMs`
// takes the longest time the event loop went without turning while the sync ran: how long
// the window would have stood still.
Timing timedSync(CDatabase& db, const SyncAccount& account, SyncSummary& summary, double& pauseMs,
                 bool syncReports = true) {
    const std::unique_ptr<CCollectionSync> engine = CCollectionSync::forAddressBook(db, account);
    CCollectionSync& sync = *engine;
    sync.setUseSyncReports(syncReports);
    QEventLoop loop;
    QObject::connect(&sync, &CCollectionSync::finished, &loop, [&](const SyncSummary& done) {
        summary = done;
        loop.quit();
    });
    constexpr int kTickMs = 5;
    QElapsedTimer sinceTick;
    pauseMs = 0;
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticks, &QTimer::timeout, &loop, [&] {
        pauseMs = std::max(pauseMs, double(sinceTick.nsecsElapsed()) / 1e6 - kTickMs);
        sinceTick.restart();
    });
    const Stopwatch watch;
    sinceTick.start();
    ticks.start(kTickMs);
    sync.start();
    loop.exec();
    pauseMs = std::max(pauseMs, double(sinceTick.nsecsElapsed()) / 1e6 - kTickMs);
    return watch.elapsed();
}

QString noteOf(const SyncSummary& summary, double pauseMs, const char* beside) {
    return (summary.ok() ? summary.text() : QStringLiteral("FAILED: ") + summary.text()) +
           QStringLiteral("; longest pause of the window %1 ms").arg(pauseMs, 0, 'f', 0) +
           QStringLiteral("; beside: ") + QLatin1String(beside);
}

}  // namespace

void runSyncBench(const QString& folder, BenchTable& table) {
    if (!QFile::exists(kRadicale)) {
        std::printf("sync rows left out: %s is not installed\n", qPrintable(kRadicale));
        return;
    }
    const QString serverFolder = QDir(folder).absoluteFilePath(QStringLiteral("bench-radicale"));
    QDir(serverFolder).removeRecursively();
    QDir().mkpath(serverFolder);
    auto server = std::make_unique<Server>(serverFolder);
    writeCards(server->bookFolder());
    if (!server->start()) {
        std::printf("sync rows left out: radicale did not start\n");
        return;
    }
    Plain plain(*server);
    // The server reads its cards once, for every client alike.
    plain.run([&](CDavClient& client, CDavClient::Done done) {
        client.report(server->bookPath(), 0, reportBody({}, false), std::move(done));
    });
    Stopwatch watch;
    plain.run([&](CDavClient& client, CDavClient::Done done) {
        client.report(server->bookPath(), 0, reportBody({}, true), std::move(done));
    });
    const Timing plainAll = watch.elapsed();

    const QString path = QDir(folder).absoluteFilePath(QStringLiteral("bench-sync.mdb"));
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
    CDatabase::Create(path, {});
    CDatabase db;
    db.Open(path);
    SyncAccount account;
    account.server = QUrl(server->url());
    account.user = kUser;
    account.password = kPassword;
    account.addressbook = QUrl(server->url() + server->bookPath());
    account.conflict = SyncAccount::Conflict::Server;

    SyncSummary summary;
    double pauseMs = 0;
    const Timing first = timedSync(db, account, summary, pauseMs);
    table.add(QStringLiteral("sync: first, 10,000 cards into an empty file"), first, plainAll,
              noteOf(summary, pauseMs, "all cards in one HTTP answer"));

    // Ten records changed here, ten cards changed by another client.
    const QString token =
        plain
            .run([&](CDavClient& client, CDavClient::Done done) {
                client.report(server->bookPath(), 0, reportBody({}, false), std::move(done));
            })
            .syncToken;
    for (int i = 0; i < kChanges; ++i) {
        CStatement update(db, QStringLiteral("UPDATE \"Person\" SET \"phone_mobile\" = ? "
                                             "WHERE \"lastname\" = ?"));
        update.bind(1, QStringLiteral("+9 %1").arg(i));
        update.bind(2, QStringLiteral("Lastname%1").arg(i));
        update.execute();
    }
    const QString hrefOf = server->bookPath() + QStringLiteral("bench-%1.vcf");
    for (int i = kCards - kChanges; i < kCards; ++i) {
        const QString etag = plain
                                 .run([&](CDavClient& client, CDavClient::Done done) {
                                     client.get(hrefOf.arg(i), std::move(done));
                                 })
                                 .etag;
        plain.run([&](CDavClient& client, CDavClient::Done done) {
            client.put(hrefOf.arg(i), cardText(i, QStringLiteral("+8 %1").arg(i)), kType, etag,
                       std::move(done));
        });
    }
    // The same data plainly: what changed since the token, the ten cards, the ten sent.
    watch.restart();
    plain.run([&](CDavClient& client, CDavClient::Done done) {
        client.report(server->bookPath(), 0, reportBody(token, true), std::move(done));
    });
    for (int i = 0; i < kChanges; ++i)
        plain.run([&](CDavClient& client, CDavClient::Done done) {
            client.put(hrefOf.arg(i) + QStringLiteral(".plain"),
                       cardText(i, QStringLiteral("+9 %1").arg(i)), kType, {}, std::move(done));
        });
    const Timing plainChanges = watch.elapsed();
    for (int i = 0; i < kChanges; ++i)
        plain.run([&](CDavClient& client, CDavClient::Done done) {
            client.remove(hrefOf.arg(i) + QStringLiteral(".plain"), {}, std::move(done));
        });
    const Timing changes = timedSync(db, account, summary, pauseMs);
    table.add(QStringLiteral("sync: 10 changes on each side"), changes, plainChanges,
              noteOf(summary, pauseMs, "the changes and the 10 cards sent plainly"));

    const QString lastToken = readSyncCollection(db, account.collectionKey()).token;
    watch.restart();
    plain.run([&](CDavClient& client, CDavClient::Done done) {
        client.report(server->bookPath(), 0, reportBody(lastToken, false), std::move(done));
    });
    const Timing plainQuiet = watch.elapsed();
    const Timing quiet = timedSync(db, account, summary, pauseMs);
    table.add(QStringLiteral("sync: nothing changed (one request)"), quiet, plainQuiet,
              noteOf(summary, pauseMs, "one sync report"));

    // A server without sync reports: the ctag the listing below keeps ends the next sync.
    timedSync(db, account, summary, pauseMs, false);
    watch.restart();
    plain.run([&](CDavClient& client, CDavClient::Done done) {
        client.propfind(server->bookPath(), 0,
                        "<?xml version=\"1.0\" encoding=\"utf-8\"?><d:propfind xmlns:d=\"DAV:\" "
                        "xmlns:cs=\"http://calendarserver.org/ns/\"><d:prop><cs:getctag/>"
                        "</d:prop></d:propfind>",
                        std::move(done));
    });
    const Timing plainCtag = watch.elapsed();
    const Timing ctag = timedSync(db, account, summary, pauseMs, false);
    table.add(QStringLiteral("sync: nothing changed, no sync reports (ctag, one request)"), ctag,
              plainCtag, noteOf(summary, pauseMs, "one ctag request"));
    db.Close();
    server.reset();
    QDir(serverFolder).removeRecursively();
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}
