#include "sync/DavClient.h"

#include <QNetworkReply>
#include <QSslError>
#include <QXmlStreamReader>

namespace {

// A large address book's first report may keep a slow server silent for a while.
constexpr int kTransferTimeoutMs = 180'000;

// Reads the text of the element the reader stands on, with any child elements' text.
QString elementText(QXmlStreamReader& xml) {
    return xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
}

int statusOf(const QString& statusLine) {
    // "HTTP/1.1 404 Not Found"
    const QStringList parts = statusLine.split(u' ', Qt::SkipEmptyParts);
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

// The hrefs inside the element the reader stands on.
QStringList hrefsIn(QXmlStreamReader& xml) {
    QStringList hrefs;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"href")
            hrefs << elementText(xml);
        else
            xml.skipCurrentElement();
    }
    return hrefs;
}

void readProp(QXmlStreamReader& xml, DavResource& resource) {
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (name == u"getetag") {
            resource.etag = elementText(xml);
        } else if (name == u"address-data" || name == u"calendar-data") {
            resource.data = xml.readElementText().toUtf8();
        } else if (name == u"displayname") {
            resource.displayName = elementText(xml);
        } else if (name == u"getctag") {
            resource.ctag = elementText(xml);
        } else if (name == u"resourcetype") {
            while (xml.readNextStartElement()) {
                resource.resourceTypes << xml.name().toString();
                xml.skipCurrentElement();
            }
        } else if (name == u"current-user-principal") {
            resource.principal = hrefsIn(xml).value(0);
        } else if (name == u"addressbook-home-set") {
            resource.addressbookHomes = hrefsIn(xml);
        } else if (name == u"calendar-home-set") {
            resource.calendarHomes = hrefsIn(xml);
        } else if (name == u"supported-address-data") {
            while (xml.readNextStartElement()) {
                if (xml.name() == u"address-data-type")
                    resource.vCardVersions
                        << xml.attributes().value(QStringLiteral("version")).toString();
                xml.skipCurrentElement();
            }
        } else {
            xml.skipCurrentElement();
        }
    }
}

void readResponse(QXmlStreamReader& xml, DavReply& reply) {
    DavResource resource;
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (name == u"href") {
            resource.href = elementText(xml);
        } else if (name == u"status") {
            resource.status = statusOf(elementText(xml));
        } else if (name == u"propstat") {
            DavResource found;
            int status = 200;
            while (xml.readNextStartElement()) {
                if (xml.name() == u"prop")
                    readProp(xml, found);
                else if (xml.name() == u"status")
                    status = statusOf(elementText(xml));
                else
                    xml.skipCurrentElement();
            }
            if (status >= 200 && status < 300) {
                found.href = resource.href;
                found.status = resource.status;
                resource = std::move(found);
            }
        } else {
            xml.skipCurrentElement();
        }
    }
    reply.resources << std::move(resource);
}

}  // namespace

void readMultistatus(const QByteArray& body, DavReply& reply) {
    QXmlStreamReader xml(body);
    if (!xml.readNextStartElement())
        return;
    if (xml.name() == u"error") {
        while (xml.readNextStartElement()) {
            reply.preconditions << xml.name().toString();
            xml.skipCurrentElement();
        }
        return;
    }
    if (xml.name() != u"multistatus")
        return;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"response")
            readResponse(xml, reply);
        else if (xml.name() == u"sync-token")
            reply.syncToken = elementText(xml);
        else
            xml.skipCurrentElement();
    }
}

CDavClient::CDavClient(QUrl server, QString user, QString password, QObject* parent)
    : QObject(parent),
      m_server(std::move(server)),
      m_authorization("Basic " + (user + u':' + password).toUtf8().toBase64()),
      m_transferTimeoutMs(kTransferTimeoutMs) {
    m_network.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

CDavClient::~CDavClient() {
    abortAll();
}

QUrl CDavClient::urlOf(const QString& href) const {
    return m_server.resolved(QUrl(href, QUrl::TolerantMode));
}

void CDavClient::propfind(const QString& href, int depth, const QByteArray& body, Done done) {
    QNetworkRequest request;
    request.setRawHeader("Depth", QByteArray::number(depth));
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/xml; charset=utf-8");
    send("PROPFIND", href, request, body, std::move(done));
}

void CDavClient::report(const QString& href, int depth, const QByteArray& body, Done done) {
    QNetworkRequest request;
    request.setRawHeader("Depth", QByteArray::number(depth));
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/xml; charset=utf-8");
    send("REPORT", href, request, body, std::move(done));
}

void CDavClient::get(const QString& href, Done done) {
    send("GET", href, QNetworkRequest(), {}, std::move(done));
}

void CDavClient::put(const QString& href, const QByteArray& data, const QByteArray& contentType,
                     const QString& etag, Done done) {
    QNetworkRequest request;
    request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
    if (etag.isEmpty())
        request.setRawHeader("If-None-Match", "*");
    else
        request.setRawHeader("If-Match", etag.toUtf8());
    send("PUT", href, request, data, std::move(done));
}

void CDavClient::remove(const QString& href, const QString& etag, Done done) {
    QNetworkRequest request;
    if (!etag.isEmpty())
        request.setRawHeader("If-Match", etag.toUtf8());
    send("DELETE", href, request, {}, std::move(done));
}

void CDavClient::mkcol(const QString& href, const QByteArray& method, const QByteArray& body,
                       Done done) {
    QNetworkRequest request;
    if (!body.isEmpty())
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/xml; charset=utf-8");
    send(method, href, request, body, std::move(done));
}

void CDavClient::abortAll() {
    const auto running = std::exchange(m_running, {});
    for (const QPointer<QNetworkReply>& reply : running)
        if (reply) {
            reply->disconnect(this);
            reply->abort();
            reply->deleteLater();
        }
}

void CDavClient::send(const QByteArray& method, const QString& href, QNetworkRequest request,
                      const QByteArray& body, Done done) {
    request.setUrl(urlOf(href));
    request.setRawHeader("Authorization", m_authorization);
    request.setTransferTimeout(m_transferTimeoutMs);
    QNetworkReply* reply = m_network.sendCustomRequest(request, method, body);
    ++m_sent;
    m_running << reply;
    connect(reply, &QNetworkReply::sslErrors, this, [this, reply](const QList<QSslError>& errors) {
        QStringList problems;
        for (const QSslError& error : errors)
            problems << error.errorString();
        if (m_trust && m_trust(m_server, problems.join(u'\n')))
            reply->ignoreSslErrors();
    });
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, done = std::move(done)] { finished(reply, done); });
}

void CDavClient::finished(QNetworkReply* reply, const Done& done) {
    m_running.removeAll(reply);
    reply->deleteLater();
    DavReply result;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.body = reply->readAll();
    result.etag = QString::fromUtf8(reply->rawHeader("ETag"));
    if (reply->hasRawHeader("Location"))
        result.redirect =
            reply->url().resolved(QUrl(QString::fromUtf8(reply->rawHeader("Location"))));
    if (result.status == 0) {
        result.networkFailed = true;
        result.errorText = reply->errorString();
    }
    if (result.status == 207 || (result.status >= 400 && result.body.contains("error")))
        readMultistatus(result.body, result);
    done(result);
}
