#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <functional>

class QNetworkReply;

// One <response> of a WebDAV multistatus, with the properties found with status 200.
struct DavResource {
    QString href;
    int status = 200;  // the response's own status: 404 for a member a sync report deletes
    QString etag;
    QByteArray data;  // address-data or calendar-data
    QString displayName;
    QString ctag;
    QStringList resourceTypes;  // local names: "collection", "addressbook", "calendar"
    QString principal;
    QStringList addressbookHomes, calendarHomes;
    QStringList vCardVersions;  // of supported-address-data
};

// The outcome of one request.
struct DavReply {
    int status = 0;  // the HTTP status; 0 when no answer came
    bool networkFailed = false;
    QString errorText;
    QString etag;
    QUrl redirect;
    QByteArray body;
    QList<DavResource> resources;
    QString syncToken;
    // The server's precondition errors (local names: "valid-sync-token", ...).
    QStringList preconditions;

    bool ok() const { return !networkFailed && status >= 200 && status < 300; }
};

// A small WebDAV client on QNetworkAccessManager: every request is asynchronous and its
// answer comes to the callback on the thread that made it. Basic authentication is sent
// with every request. Only callbacks of requests still running when the client is destroyed
// are dropped.
class CDavClient : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const DavReply&)>;
    // Decides whether to go on with a server whose certificate is not trusted.
    using TrustQuestion = std::function<bool(const QUrl& server, const QString& problems)>;

    CDavClient(QUrl server, QString user, QString password, QObject* parent = nullptr);
    ~CDavClient() override;

    void setTrustQuestion(TrustQuestion question) { m_trust = std::move(question); }
    // How long a request may go without a byte coming or going; 0 waits for ever.
    void setTransferTimeout(int ms) { m_transferTimeoutMs = ms; }
    const QUrl& server() const { return m_server; }
    // The requests sent so far.
    int requestCount() const { return m_sent; }
    // The address of an href or path, resolved against the server's address.
    QUrl urlOf(const QString& href) const;

    void propfind(const QString& href, int depth, const QByteArray& body, Done done);
    void report(const QString& href, int depth, const QByteArray& body, Done done);
    void get(const QString& href, Done done);
    // Writes the resource: with If-Match when `etag` is given, else only if it is new
    // (If-None-Match: *).
    void put(const QString& href, const QByteArray& data, const QByteArray& contentType,
             const QString& etag, Done done);
    void remove(const QString& href, const QString& etag, Done done);
    void mkcol(const QString& href, const QByteArray& method, const QByteArray& body, Done done);

    // Stops every request under way; their callbacks are not called.
    void abortAll();

private:
    void send(const QByteArray& method, const QString& href, QNetworkRequest request,
              const QByteArray& body, Done done);
    void finished(QNetworkReply* reply, const Done& done);

    QUrl m_server;
    QByteArray m_authorization;
    TrustQuestion m_trust;
    int m_transferTimeoutMs;
    int m_sent = 0;
    QNetworkAccessManager m_network;
    QList<QPointer<QNetworkReply>> m_running;
};

// Reads a multistatus body into `reply` (its resources and sync token).
void readMultistatus(const QByteArray& body, DavReply& reply);
