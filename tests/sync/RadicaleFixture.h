#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <QUuid>
#include <memory>

#include "data/DataTestSupport.h"
#include "data/SyncState.h"
#include "sync/CollectionSync.h"

// A Radicale server of the test's own on a free loopback port, with a temporary storage
// folder, one user and an empty address book, beside the store of `Base`, a fixture whose
// `db` is the test's own connection. The test itself is the second client, writing to the
// server with curl.
template <class Base>
class RadicaleOn : public Base {
protected:
    static constexpr const char* kUser = "anna";
    static constexpr const char* kPassword = "secret";

    void SetUp() override {
        Base::SetUp();
        ASSERT_TRUE(m_serverDir.isValid());
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        m_port = probe.serverPort();
        probe.close();
        QFile users(m_serverDir.filePath(QStringLiteral("users")));
        ASSERT_TRUE(users.open(QIODevice::WriteOnly));
        users.write(QByteArray(kUser) + ':' + kPassword + '\n');
        users.close();
        QString tlsLines;
        if (tls()) {
            // A certificate of its own, which no client trusts.
            const QString cert = m_serverDir.filePath(QStringLiteral("cert.pem"));
            const QString key = m_serverDir.filePath(QStringLiteral("key.pem"));
            QProcess openssl;
            openssl.start(QStringLiteral("openssl"),
                          {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                           "/CN=127.0.0.1", "-keyout", key, "-out", cert});
            ASSERT_TRUE(openssl.waitForFinished(60'000));
            ASSERT_EQ(openssl.exitCode(), 0);
            tlsLines = QStringLiteral("ssl = True\ncertificate = %1\nkey = %2\n").arg(cert, key);
        }
        QFile config(m_serverDir.filePath(QStringLiteral("config")));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(
            QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n%4"
                           "[auth]\ntype = htpasswd\nhtpasswd_filename = %2\n"
                           "htpasswd_encryption = plain\n"
                           "[rights]\ntype = owner_only\n"
                           "[storage]\nfilesystem_folder = %3\n"
                           "[logging]\nlevel = info\nmask_passwords = True\n")
                .arg(m_port)
                .arg(users.fileName(), m_serverDir.filePath(QStringLiteral("store")), tlsLines)
                .toUtf8());
        config.close();
        startServer();
        ASSERT_EQ(curl("MKCOL", bookPath(),
                       "<?xml version=\"1.0\"?><d:mkcol xmlns:d=\"DAV:\" "
                       "xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:set><d:prop>"
                       "<d:resourcetype><d:collection/><c:addressbook/></d:resourcetype>"
                       "</d:prop></d:set></d:mkcol>")
                      .status,
                  201);
        ASSERT_EQ(curl("MKCOL", calendarPath(),
                       "<?xml version=\"1.0\"?><d:mkcol xmlns:d=\"DAV:\" "
                       "xmlns:c=\"urn:ietf:params:xml:ns:caldav\"><d:set><d:prop>"
                       "<d:resourcetype><d:collection/><c:calendar/></d:resourcetype>"
                       "<c:supported-calendar-component-set><c:comp name=\"VEVENT\"/>"
                       "</c:supported-calendar-component-set>"
                       "</d:prop></d:set></d:mkcol>")
                      .status,
                  201);
    }

    void TearDown() override {
        stopServer();
        Base::TearDown();
    }

    // Starts the server and waits until it says it listens.
    void startServer() {
        m_server = std::make_unique<QProcess>();
        m_server->setProcessChannelMode(QProcess::MergedChannels);
        m_server->start(
            QStringLiteral("/usr/bin/radicale"),
            {QStringLiteral("--config"), m_serverDir.filePath(QStringLiteral("config"))});
        ASSERT_TRUE(m_server->waitForStarted(30'000));
        QByteArray log;
        while (!log.contains("Radicale server ready")) {
            ASSERT_TRUE(m_server->waitForReadyRead(30'000)) << log.toStdString();
            log += m_server->readAll();
        }
    }
    void stopServer() {
        if (!m_server)
            return;
        m_server->kill();
        m_server->waitForFinished(30'000);
        m_server.reset();
    }

    // Whether the server speaks TLS with a certificate of its own.
    virtual bool tls() const { return false; }
    QString server() const {
        return QStringLiteral("%1://127.0.0.1:%2").arg(tls() ? "https" : "http").arg(m_port);
    }
    QString bookPath() const { return QStringLiteral("/%1/contacts/").arg(QLatin1String(kUser)); }
    QString calendarPath() const { return QStringLiteral("/%1/alarms/").arg(QLatin1String(kUser)); }

    SyncAccount account(SyncAccount::Conflict conflict = SyncAccount::Conflict::Server) const {
        SyncAccount account;
        account.server = QUrl(server());
        account.user = QLatin1String(kUser);
        account.password = QLatin1String(kPassword);
        account.addressbook = QUrl(server() + bookPath());
        account.calendar = QUrl(server() + calendarPath());
        account.conflict = conflict;
        account.cardVersion = cardVersion;
        return account;
    }

    // Runs one sync to its end; the event loop runs meanwhile.
    SyncSummary sync(SyncAccount::Conflict conflict = SyncAccount::Conflict::Server,
                     ConflictResolver resolver = {},
                     const std::function<void(CCollectionSync&, const QString&)>& onProgress = {}) {
        return run(*CCollectionSync::forAddressBook(this->db, account(conflict)),
                   std::move(resolver), onProgress);
    }
    // Runs one sync of the calendar to its end.
    SyncSummary syncCalendar(SyncAccount::Conflict conflict = SyncAccount::Conflict::Server,
                             ConflictResolver resolver = {}) {
        return run(*CCollectionSync::forCalendar(this->db, account(conflict)), std::move(resolver));
    }
    SyncSummary run(CCollectionSync& engine, ConflictResolver resolver = {},
                    const std::function<void(CCollectionSync&, const QString&)>& onProgress = {}) {
        engine.setConflictResolver(std::move(resolver));
        SyncSummary summary;
        QEventLoop loop;
        QObject::connect(&engine, &CCollectionSync::finished, &loop, [&](const SyncSummary& done) {
            summary = done;
            loop.quit();
        });
        if (onProgress)
            QObject::connect(&engine, &CCollectionSync::progress, &loop,
                             [&](const QString& text) { onProgress(engine, text); });
        QTimer cap;
        cap.setSingleShot(true);
        QObject::connect(&cap, &QTimer::timeout, &loop, [&] {
            summary.error = QStringLiteral("no end within the cap");
            loop.quit();
        });
        cap.start(120'000);
        engine.start();
        if (engine.isRunning())
            loop.exec();
        return summary;
    }

    struct Answer {
        int status = 0;
        QByteArray body;
        QByteArray etag;
    };
    // A request of the second client.
    Answer curl(const char* method, const QString& path, const QByteArray& body = {},
                const QStringList& headers = {}) {
        QProcess process;
        QStringList args{
            QStringLiteral("-s"),
            QStringLiteral("-k"),
            QStringLiteral("-u"),
            QStringLiteral("%1:%2").arg(QLatin1String(kUser), QLatin1String(kPassword)),
            QStringLiteral("-X"),
            QLatin1String(method),
            QStringLiteral("-D"),
            QStringLiteral("-"),
            QStringLiteral("--data-binary"),
            QStringLiteral("@-")};
        for (const QString& header : headers)
            args << QStringLiteral("-H") << header;
        args << server() + path;
        process.start(QStringLiteral("curl"), args);
        process.write(body);
        process.closeWriteChannel();
        process.waitForFinished(60'000);
        const QByteArray out = process.readAllStandardOutput();
        Answer answer;
        const qsizetype headEnd = out.indexOf("\r\n\r\n");
        const QList<QByteArray> head = out.left(headEnd).split('\n');
        answer.status = head.value(0).split(' ').value(1).toInt();
        for (const QByteArray& line : head)
            if (line.toLower().startsWith("etag:"))
                answer.etag = line.mid(5).trimmed();
        answer.body = out.mid(headEnd + 4);
        return answer;
    }

    // The second client's cards: writes one, gives its href.
    QString putCard(const QString& name, const QByteArray& card) {
        const QString href = bookPath() + name + QStringLiteral(".vcf");
        EXPECT_LT(curl("PUT", href, card, {QStringLiteral("Content-Type: text/vcard")}).status,
                  300);
        return href;
    }
    QByteArray getCard(const QString& href) { return curl("GET", href).body; }
    // The cards in the address book's folder on the server's disk, by file name.
    QMap<QString, QByteArray> serverCards() const {
        QMap<QString, QByteArray> cards;
        const QDir dir(m_serverDir.filePath(
            QStringLiteral("store/collection-root/%1/contacts").arg(QLatin1String(kUser))));
        for (const QString& name : dir.entryList({QStringLiteral("*.vcf")}, QDir::Files)) {
            QFile file(dir.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                cards.insert(name, file.readAll());
        }
        return cards;
    }
    QString storeFolder() const {
        return m_serverDir.filePath(
            QStringLiteral("store/collection-root/%1/contacts").arg(QLatin1String(kUser)));
    }

    VCardVersion cardVersion = VCardVersion::V3;
    QTemporaryDir m_serverDir;
    quint16 m_port = 0;
    std::unique_ptr<QProcess> m_server;
};

// The same beside a contacts file of the test's own.
using RadicaleTest = RadicaleOn<DataTest>;
