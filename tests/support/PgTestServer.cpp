#include "PgTestServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QUrl>
#include <QVersionNumber>
#include <stdexcept>

#include "data/ServerConnection.h"

namespace {

// The newest installed server's programs: Debian keeps them in /usr/lib/postgresql/<n>/bin.
QString serverBinaries() {
    const QDir root(QStringLiteral("/usr/lib/postgresql"));
    QString best;
    QVersionNumber newest;
    for (const QString& version : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QVersionNumber number = QVersionNumber::fromString(version);
        if (QFile::exists(root.filePath(version + QStringLiteral("/bin/initdb"))) &&
            number > newest) {
            newest = number;
            best = root.filePath(version + QStringLiteral("/bin"));
        }
    }
    if (best.isEmpty())
        throw std::runtime_error("no PostgreSQL server found under /usr/lib/postgresql");
    return best;
}

int freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("no free loopback port");
    ::close(fd);
    return ntohs(address.sin_port);
}

const passwd* serverUser() {
    return ::geteuid() == 0 ? ::getpwnam("postgres") : nullptr;
}

void giveToServerUser(const QString& path) {
    if (const passwd* user = serverUser())
        if (::chown(QFile::encodeName(path).constData(), user->pw_uid, user->pw_gid) != 0)
            throw std::runtime_error("cannot hand " + path.toStdString() + " to postgres");
}

QString readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

PgTestServer::PgTestServer() : m_bin(serverBinaries()) {
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder");
    giveToServerUser(m_dir.path());
    const QString data = m_dir.filePath(QStringLiteral("data"));
    runAsServerUser(binary(QStringLiteral("initdb")),
                    {QStringLiteral("-D"), data, QStringLiteral("-E"), QStringLiteral("UTF8"),
                     QStringLiteral("--locale=C.UTF-8"), QStringLiteral("--auth-local=trust"),
                     QStringLiteral("--auth-host=scram-sha-256"), QStringLiteral("-U"),
                     QStringLiteral("postgres"), QStringLiteral("-N")});
    runAsServerUser(QStringLiteral("openssl"),
                    {QStringLiteral("req"), QStringLiteral("-new"), QStringLiteral("-x509"),
                     QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-nodes"),
                     QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                     QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
                     QStringLiteral("-keyout"), data + QStringLiteral("/server.key"),
                     QStringLiteral("-out"), data + QStringLiteral("/server.crt")});
    // The server refuses a key that others may read.
    QFile::setPermissions(data + QStringLiteral("/server.key"),
                          QFile::ReadOwner | QFile::WriteOwner);
    m_port = freeLoopbackPort();
    QFile config(data + QStringLiteral("/postgresql.conf"));
    if (!config.open(QIODevice::Append))
        throw std::runtime_error("cannot write postgresql.conf");
    config.write(QStringLiteral("listen_addresses = '127.0.0.1'\n"
                                "port = %1\n"
                                "unix_socket_directories = '%2'\n"
                                "password_encryption = 'scram-sha-256'\n"
                                "ssl = on\n"
                                "fsync = off\n"
                                "synchronous_commit = off\n"
                                "full_page_writes = off\n"
                                "max_connections = 30\n")
                     .arg(m_port)
                     .arg(m_dir.path())
                     .toUtf8());
    config.close();
    watchOverTheTests();
    start();
    try {
        admin()->exec(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'")
                          .arg(QLatin1String(kUser),
                               QString::fromUtf8(kPassword).replace(u'\'', QStringLiteral("''"))));
    } catch (...) {
        stop();
        throw;
    }
}

PgTestServer::~PgTestServer() {
    try {
        stop();
    } catch (const std::exception&) {
        // The folder goes anyway; a server left without it ends itself.
    }
}

void PgTestServer::runAsServerUser(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (serverUser()) {
        process.start(QStringLiteral("runuser"),
                      QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                  QStringLiteral("--"), program} +
                          arguments);
    } else {
        process.start(program, arguments);
    }
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        throw std::runtime_error(program.toStdString() +
                                 " failed: " + process.readAll().toStdString() +
                                 readAll(m_dir.filePath(QStringLiteral("log"))).toStdString());
}

void PgTestServer::watchOverTheTests() {
    // A test program that crashes never reaches the destructor: a detached watcher stops
    // the server and removes its folder once the program is gone, whichever way it ended.
    const QString folder = m_dir.path();
    const QString stop = QStringLiteral("%1 -D '%2/data' -m immediate stop")
                             .arg(binary(QStringLiteral("pg_ctl")), folder);
    const QString asServerUser =
        serverUser() ? QStringLiteral("runuser -u postgres -- ") + stop : stop;
    const QString script =
        QStringLiteral("tail --pid=%1 -f /dev/null; %2 >/dev/null 2>&1; rm -rf '%3'")
            .arg(QCoreApplication::applicationPid())
            .arg(asServerUser, folder);
    if (!QProcess::startDetached(QStringLiteral("sh"), {QStringLiteral("-c"), script}))
        throw std::runtime_error("cannot start the server's watcher");
}

QString PgTestServer::binary(const QString& name) const {
    return m_bin + u'/' + name;
}

void PgTestServer::start() {
    runAsServerUser(
        binary(QStringLiteral("pg_ctl")),
        {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-l"),
         m_dir.filePath(QStringLiteral("log")), QStringLiteral("-w"), QStringLiteral("-t"),
         QStringLiteral("60"), QStringLiteral("start")});
    m_running = true;
}

void PgTestServer::stop() {
    if (!m_running)
        return;
    m_running = false;
    runAsServerUser(
        binary(QStringLiteral("pg_ctl")),
        {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-m"),
         QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")});
}

QString PgTestServer::uri(const QString& database, const QString& user,
                          const QString& query) const {
    QString text =
        QStringLiteral("postgresql://%1@127.0.0.1:%2/%3").arg(user).arg(m_port).arg(database);
    if (!query.isEmpty())
        text += u'?' + query;
    return text;
}

QString PgTestServer::createDatabase() {
    const QString name = QStringLiteral("contacts_%1").arg(++m_databases);
    admin()->exec(QStringLiteral("CREATE DATABASE %1 OWNER %2").arg(name, QLatin1String(kUser)));
    return uri(name);
}

std::unique_ptr<CServerConnection> PgTestServer::admin(const QString& database) {
    // The socket's folder, percent-encoded, stands for the host (joined, not through arg(),
    // since the encoding holds "%2").
    const QString socketFolder = QString::fromLatin1(QUrl::toPercentEncoding(m_dir.path()));
    return std::make_unique<CServerConnection>(QStringLiteral("postgresql://postgres@") +
                                                   socketFolder + u':' + QString::number(m_port) +
                                                   u'/' + database,
                                               QString());
}
