#include "sync/DavDiscovery.h"

namespace {

const QByteArray kPrincipalBody =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<d:propfind xmlns:d=\"DAV:\"><d:prop>"
    "<d:current-user-principal/></d:prop></d:propfind>";
const QByteArray kHomesBody =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<d:propfind xmlns:d=\"DAV:\" "
    "xmlns:c=\"urn:ietf:params:xml:ns:carddav\" "
    "xmlns:cal=\"urn:ietf:params:xml:ns:caldav\"><d:prop>"
    "<c:addressbook-home-set/><cal:calendar-home-set/>"
    "</d:prop></d:propfind>";
const QByteArray kCollectionsBody =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<d:propfind xmlns:d=\"DAV:\" "
    "xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:prop>"
    "<d:resourcetype/><d:displayname/>"
    "<c:supported-address-data/></d:prop></d:propfind>";
constexpr int kMaxRedirects = 5;

}  // namespace

CDavDiscovery::CDavDiscovery(QUrl server, QString user, QString password, QObject* parent)
    : QObject(parent),
      m_server(server),
      m_client(
          std::make_unique<CDavClient>(std::move(server), std::move(user), std::move(password))) {}

CDavDiscovery::~CDavDiscovery() = default;

void CDavDiscovery::setTrustQuestion(CDavClient::TrustQuestion question) {
    m_client->setTrustQuestion(std::move(question));
}

void CDavDiscovery::start() {
    m_found.clear();
    m_homes.clear();
    findPrincipal({QStringLiteral("/.well-known/carddav"), QStringLiteral("/.well-known/caldav"),
                   m_server.path().isEmpty() ? QStringLiteral("/") : m_server.path()});
}

void CDavDiscovery::findPrincipal(QStringList candidates) {
    if (candidates.isEmpty()) {
        emit finished(
            {}, tr("The server %1 shows no address books for this user.").arg(m_server.host()));
        return;
    }
    const QString href = candidates.takeFirst();
    auto redirects = std::make_shared<int>(0);
    auto ask = std::make_shared<std::function<void(const QString&)>>();
    *ask = [this, candidates, redirects, ask](const QString& where) {
        m_client->propfind(where, 0, kPrincipalBody,
                           [this, candidates, redirects, ask](const DavReply& reply) {
                               if (reply.status >= 300 && reply.status < 400 &&
                                   reply.redirect.isValid() && ++*redirects <= kMaxRedirects) {
                                   (*ask)(reply.redirect.toString());
                                   return;
                               }
                               // Ends the request's hold on itself.
                               *ask = nullptr;
                               if (reply.networkFailed || reply.status == 401) {
                                   fail(reply);
                                   return;
                               }
                               const QString principal = reply.ok() && !reply.resources.isEmpty()
                                                             ? reply.resources.first().principal
                                                             : QString();
                               if (principal.isEmpty())
                                   findPrincipal(candidates);
                               else
                                   readHomes(principal);
                           });
    };
    (*ask)(href);
}

void CDavDiscovery::readHomes(const QString& principal) {
    m_client->propfind(principal, 0, kHomesBody, [this](const DavReply& reply) {
        if (!reply.ok()) {
            fail(reply);
            return;
        }
        for (const DavResource& resource : reply.resources)
            for (const QString& home : resource.addressbookHomes + resource.calendarHomes)
                if (!m_homes.contains(home))
                    m_homes << home;
        listHomes();
    });
}

void CDavDiscovery::listHomes() {
    if (m_homes.isEmpty()) {
        emit finished(m_found, QString());
        return;
    }
    const QString home = m_homes.takeFirst();
    m_client->propfind(home, 1, kCollectionsBody, [this](const DavReply& reply) {
        if (!reply.ok()) {
            fail(reply);
            return;
        }
        for (const DavResource& resource : reply.resources) {
            const bool book = resource.resourceTypes.contains(QStringLiteral("addressbook"));
            const bool calendar = resource.resourceTypes.contains(QStringLiteral("calendar"));
            if (!book && !calendar)
                continue;
            DavCollection collection;
            collection.kind =
                book ? DavCollection::Kind::AddressBook : DavCollection::Kind::Calendar;
            collection.url = m_client->urlOf(resource.href);
            collection.displayName =
                resource.displayName.isEmpty() ? resource.href : resource.displayName;
            collection.vCardVersions = resource.vCardVersions;
            const bool known = std::any_of(
                m_found.cbegin(), m_found.cend(),
                [&collection](const DavCollection& other) { return other.url == collection.url; });
            if (!known)
                m_found << collection;
        }
        listHomes();
    });
}

void CDavDiscovery::fail(const DavReply& reply) {
    QString error;
    if (reply.networkFailed)
        error = tr("The server %1 could not be reached: %2").arg(m_server.host(), reply.errorText);
    else if (reply.status == 401)
        error = tr("The server %1 did not accept the user name or password.").arg(m_server.host());
    else
        error = tr("The server %1 answered %2.").arg(m_server.host()).arg(reply.status);
    emit finished({}, error);
}
